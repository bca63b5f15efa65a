#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace platform {

class X11Connection;

// The application id (desktop-entry id) of an X11 window: _GTK_APPLICATION_ID, _KDE_NET_WM_DESKTOP_FILE,
// WM_CLASS matched against the installed entries, then the rules of its process. None for a window whose
// client is unknown.
std::optional<std::string> applicationIdOfWindow(X11Connection& x, xcb_window_t window);
// Only the window's own properties (no process rules); none when they name no application.
std::optional<std::string> applicationIdFromWindowProperties(X11Connection& x, xcb_window_t window);

// The application id of a process: its FLATPAK_ID, else the entry whose Exec or TryExec starts its
// executable, else the executable's file name. None when the process does not exist.
std::optional<std::string> applicationIdOfProcess(int32_t pid);

std::optional<std::filesystem::path> executableOfProcess(int32_t pid);
// /proc/PID/comm without the line end.
std::optional<std::string> commandNameOfProcess(int32_t pid);

}  // namespace platform

namespace platform {

// The application of a selection owner window: the window's own properties, else those of a managed
// top-level window of the same client process, else the process rules.
std::optional<std::string> applicationIdOfOwnerWindow(X11Connection& x, xcb_window_t owner);

}  // namespace platform
