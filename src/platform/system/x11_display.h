#pragma once

namespace platform {

// True when an X server answers at $DISPLAY: a connection to it opens (and is closed again at once).
bool isX11DisplayReachable();

}  // namespace platform
