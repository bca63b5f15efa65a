#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>
#include <xcb/xcb.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "support/event_loop.h"
#include "support/x11_client.h"

namespace x11test {

// The base of the end-to-end fixtures. Once for the whole test program: a private config home (the preferences
// the program reads and writes are the test's own) and one QApplication named like the program, on the xcb
// platform of the test's private X server.
class SessionTest : public ::testing::Test {
 public:
  static void SetUpTestSuite();
  // The private config home; what a test leaves there goes with it at the end of the program.
  static const std::filesystem::path& configHome();
};

// The QApplication of the test program alone, for tests that give the program a home of their own.
void ensureGuiApplication();

// Runs the Qt loop until `done` holds or the time is up; answers `done()`.
using eventloop::processEventsUntil;
void processEventsFor(std::chrono::milliseconds duration);

// A helper program started by a test, killed by its PID when the test lets it go.
class ChildProcess {
 public:
  ChildProcess(const std::vector<std::string>& argv, const std::string& standardInput = {});
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  pid_t pid() const { return pid_; }
  // Waits for the process to end and answers its exit status (-1 when killed or still running after the wait).
  int wait(std::chrono::milliseconds timeout = std::chrono::seconds(10));
  std::string output() const;  // standard output, once it ended
  // Ends the process (SIGTERM) and collects its output.
  void stop();

 private:
  pid_t pid_ = -1;
  int outputFd_ = -1;
  mutable std::string output_;
  bool ended_ = false;
  int exitStatus_ = -1;
};

// An embedding (XEmbed) tray, as desktops without status-notifier items have: trayer's light grey panel of
// 120 × 28 pixels at the top right of the screen.
std::unique_ptr<ChildProcess> startEmbeddingTray();

// Starts openbox, which frames, places and stacks the windows as a desktop's window manager does, and waits until it
// manages the screen. Fails the test when openbox is missing (make deps installs it).
std::unique_ptr<ChildProcess> startWindowManager();

// Runs a command to its end and answers its standard output.
std::string run(const std::vector<std::string>& argv, const std::string& standardInput = {});
// What another client (xclip) reads from CLIPBOARD in the target.
std::string readClipboard(const std::string& target);
// How often `part` stands in `text`, without overlaps.
size_t occurrences(const std::string& text, const std::string& part);

// Another X client that owns CLIPBOARD and serves several targets at once from its own connection and thread.
class SelectionOwner {
 public:
  struct Options {
    std::map<std::string, std::string> targets;  // target name → bytes, offered in name order
    std::vector<std::string> order;              // offer order (defaults to the map's order)
    std::string wmInstance, wmClass;
    uint32_t netWmPid = 0;
    bool hang = false;        // never answer a request
    bool hangOnData = false;  // answer TARGETS only
    // Data larger than this goes in parts of this size (ICCCM INCR); zero sends everything at once.
    std::size_t partSize = 0;
    int stopAfterParts = -1;  // stop sending in the middle, after this many parts
    // Once another client takes the clipboard, take it back this long after with these targets (if any).
    std::chrono::microseconds takeBackAfter{0};
    std::map<std::string, std::string> takeBackWith;
    // Each request is answered after a pause between these two, as an application under load answers.
    std::chrono::milliseconds shortestPause{0}, longestPause{0};
  };
  explicit SelectionOwner(Options options);
  ~SelectionOwner();
  xcb_window_t window() const { return window_; }
  bool tookBack() const { return tookBack_; }
  // Copies again from the same client and window, as an application does when the user presses Ctrl+C once more:
  // takes the clipboard anew, with the same targets or with these.
  void copyAgain(std::map<std::string, std::string> targets = {});

 private:
  void serve();
  void takeBack();
  // Answers with the whole data, or starts sending it in parts.
  void sendData(const xcb_selection_request_event_t& request, xcb_atom_t property, std::string_view data);
  void sendNextPart(xcb_window_t requestor, xcb_atom_t property);
  void pauseBeforeAnswering();
  struct Transfer {
    xcb_atom_t target;
    std::string_view data;
    std::size_t sent = 0;
    int parts = 0;
  };
  std::map<std::pair<xcb_window_t, xcb_atom_t>, Transfer> transfers_;
  std::mutex mutex_;  // guards the offered targets, which a copy made again replaces
  Options options_;
  Client connection_;
  xcb_window_t window_ = XCB_NONE;
  uint8_t ownerChanged_ = 0;  // the response type of XFixes' owner changes, when watched
  std::atomic<bool> stop_{false};
  std::atomic<bool> tookBack_{false};
  std::minstd_rand pauses_;
  std::thread thread_;
};

// The window that owns the CLIPBOARD selection now, as the server answers.
xcb_window_t clipboardOwner();

// Counts, while it lives, Qt's warnings that the server ignored its take of the clipboard ("Cannot set X11 selection
// owner"); Qt's own handler still gets every message. One at a time.
class RefusedTakeCounter {
 public:
  RefusedTakeCounter();
  ~RefusedTakeCounter();
  RefusedTakeCounter(const RefusedTakeCounter&) = delete;
  RefusedTakeCounter& operator=(const RefusedTakeCounter&) = delete;
  int count() const;
};

// A shown top-level window of another client, at a given place.
class TestWindow {
 public:
  TestWindow(int16_t x, int16_t y, uint16_t width, uint16_t height, bool overrideRedirect = false);
  ~TestWindow();
  xcb_window_t window() const { return window_; }
  // The window's own client.
  xcb_connection_t* connection() const { return connection_; }

 private:
  Client connection_;
  xcb_window_t window_ = XCB_NONE;
};

// Sets a 32-bit property (CARDINAL or WINDOW) on a window over a connection of its own.
void setCardinalProperty(xcb_window_t window, const std::string& name, const std::string& type,
                         const std::vector<uint32_t>& values);
xcb_window_t rootWindow();
// Whether `upper` stands above `lower` in a window manager's stacking (_NET_CLIENT_LIST_STACKING, bottom first).
bool isStackedAbove(const std::vector<uint32_t>& stacking, xcb_window_t upper, xcb_window_t lower);

// A temporary folder removed with its content at the end of the test.
class TemporaryFolder {
 public:
  TemporaryFolder();
  ~TemporaryFolder();
  const std::string& path() const { return path_; }
  void write(const std::string& relative, const std::string& content) const;

 private:
  std::string path_;
};

}  // namespace x11test
