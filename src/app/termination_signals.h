#pragma once

namespace app {

// SIGTERM, SIGINT and SIGHUP (the end of the desktop session, Ctrl+C in a terminal) end the event loops, also
// those of open alerts, so that the program ends the orderly way: preferences are written and our clipboard
// content is handed to a clipboard manager.
// Call once, after the Qt application exists.
void quitOnTerminationSignals();

}  // namespace app
