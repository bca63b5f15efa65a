#pragma once

namespace kit {

// Asks the application to quit on the main loop's next turn, so that the menu item or button that asked returns
// first. Also works before the loop runs: the request waits for it. Any thread.
void terminateApp();

}  // namespace kit
