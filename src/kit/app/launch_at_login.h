#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "kit/foundation/reactive_observables.h"
#include "platform/system/autostart_entry.h"
#include "platform/system/workspace.h"

namespace kit {

// The argument the autostart entry starts the program with.
inline constexpr const char* autostartArgument = "--autostart";

// Whether the desktop starts the application at login. The answer lives in the autostart entry only: every read
// asks the file again, so a change that failed, or one made by hand, shows at the next read. Main thread.
class LaunchAtLogin : public ObservableObject {
 public:
  // The entry of this program ("<app id>.desktop", starting the running executable with --autostart).
  static LaunchAtLogin& shared();

  explicit LaunchAtLogin(platform::AutostartEntry entry);

  bool isEnabled() const;
  // Announces the change, then writes or removes the entry. A failure is reported to the error hook with
  // "newValue" and shown in an application-modal error alert on a later turn of the main loop.
  void setEnabled(bool newValue);

  const platform::AutostartEntry& entry() const { return entry_; }

 private:
  platform::AutostartEntry entry_;
};

// How this process was started: its arguments and the process that started it.
struct LaunchEvent {
  std::vector<std::string> arguments;
  int32_t senderProcessId = 0;
};

// The arguments of the application object and the parent process; none before the application object exists.
std::optional<LaunchEvent> currentLaunchEvent();

// Started by the autostart entry.
bool wasLaunchedAtLogin(const std::optional<LaunchEvent>& event);
// The top-most ancestor of the starting process (the starting process itself when the walk fails); none without
// an event or a sender.
std::optional<int32_t> launchingProcessID(const std::optional<LaunchEvent>& event);

}  // namespace kit

// Taken once, when the kit's start-up has finished, so that they describe the launch of this process.
namespace kit::LaunchFacts {

const std::optional<LaunchEvent>& launchEvent();
std::optional<int32_t> launchingProcessID();
const std::optional<platform::RunningApplication>& launchingApplication();
bool wasLaunchedAtLogin();

}  // namespace kit::LaunchFacts
