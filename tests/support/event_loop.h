#pragma once

#include <chrono>
#include <functional>

namespace eventloop {

// The Qt application of a test program that runs without a display: a core application, or a GUI one on the
// platform the test runs with (offscreen for unit tests). Made once, for the whole program.
void ensureCoreApplication();
void ensureGuiApplication();

// Runs the Qt loop until `done` holds or the time is up; answers `done()`.
bool processEventsUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = std::chrono::seconds(5));

}  // namespace eventloop
