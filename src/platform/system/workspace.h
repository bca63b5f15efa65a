#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/rx_subjects.h"
#include "platform/system/rect.h"

namespace platform {

struct RunningApplication {
  int32_t pid = -1;
  std::optional<std::string> bundleIdentifier;         // desktop-entry id, or the executable's name
  std::optional<std::filesystem::path> bundleUrl;      // the desktop file of an installed application
  std::optional<std::filesystem::path> executableUrl;  // the program the process runs, where it can be read
  std::string localizedName;
  bool isActive = false;
  bool isRegular = true;  // has a normal window shown in task bars
  bool operator==(const RunningApplication&) const = default;
};

// Window levels in the numbering the rest of the program compares with.
namespace WindowLevel {
inline constexpr int desktop = -1;
inline constexpr int normal = 0;
inline constexpr int mainMenu = 24;
}  // namespace WindowLevel

// What other programs may do with a window's contents.
enum class WindowSharingState : uint32_t { none = 0, readOnly = 1, readWrite = 2 };

struct WindowRecord {
  uint32_t id = 0;
  std::optional<std::string> name;
  int32_t ownerPid = -1;
  std::optional<std::string> ownerName;
  Rect bounds;
  int level = WindowLevel::normal;
  double alpha = 1.0;
  bool isOnScreen = true;
  bool fillsScreen = false;
  // Bytes the X server holds for the window's client.
  int64_t memoryUsage = 0;
  // X11 keeps no window from other clients: any client may read a window's contents and draw into it.
  WindowSharingState sharingState = WindowSharingState::readWrite;
};

// What a window list holds, as bits: every window of the session (none of them set), only the windows shown on the
// current desktop, and without the desktop's own windows (its background and icons).
using WindowListOptions = uint32_t;
namespace WindowListOption {
inline constexpr WindowListOptions all = 0;
inline constexpr WindowListOptions onScreenOnly = 1;
inline constexpr WindowListOptions excludeDesktopElements = 16;
}  // namespace WindowListOption

// Whether a window list with `options` holds the window.
bool isListed(const WindowRecord& window, WindowListOptions options);

enum class ApplicationEvent { willLaunch, launch, terminate, hide, unhide, activate, deactivate };

// The desktop as the program sees it: applications, windows and their events. Main thread only.
class Workspace {
 public:
  virtual ~Workspace() = default;
  // The X11 workspace, or an empty one without an X server (or the one a test installed).
  static Workspace& shared();
  static void setSharedForTesting(Workspace* workspace);

  virtual std::optional<RunningApplication> frontmostApplication() = 0;
  // There is no menu bar owner on Linux: the frontmost application answers.
  virtual std::optional<RunningApplication> menuBarOwningApplication() { return frontmostApplication(); }
  virtual std::optional<RunningApplication> runningApplication(int32_t pid) = 0;
  virtual std::vector<RunningApplication> runningApplications() = 0;
  // The windows that `options` ask for, front to back.
  virtual std::vector<WindowRecord> windowList(WindowListOptions options) = 0;
  // Every application event, as it happens.
  virtual rx::Publisher<ApplicationEvent> applicationEvents() { return events_.publisher(); }

 protected:
  void announce(ApplicationEvent event) { events_.send(event); }

 private:
  rx::PassthroughSubject<ApplicationEvent> events_;
};

// The display name of a running process: its desktop entry's name, else /proc/PID/comm, else "PID<n>".
std::string resolvedProcessName(int32_t pid, const std::optional<std::string>& applicationId);

// The default handler of a URI scheme ("mailto") from the mimeapps.list files in XDG order.
std::optional<std::string> defaultApplicationId(std::string_view uriScheme);

}  // namespace platform
