#pragma once

#include <QDBusConnection>
#include <optional>
#include <string>

namespace platform {

// The application's entry in the desktop's docks and task managers, which draw a progress bar over the
// application's icon when the application announces one on the session bus (the launcher-entry "Update" signal of
// com.canonical.Unity.LauncherEntry, for application://<desktop id>.desktop). Main thread only.
class LauncherEntry {
 public:
  LauncherEntry(QDBusConnection bus, std::string desktopId);
  // The entry of this application: its desktop file name as it is at each update.
  explicit LauncherEntry(QDBusConnection bus);
  // The session bus's entry of this application.
  static LauncherEntry& shared();

  // Shows the fraction (0 to 1) over the icon, or hides the progress with none. False when nothing was sent: no
  // session bus, or no desktop file name to name the entry by.
  bool setProgress(std::optional<double> fraction);

  // "application://<desktop id>.desktop", the entry the signal names; none without a desktop id.
  std::optional<std::string> applicationUri() const;

 private:
  std::string desktopId() const;

  QDBusConnection bus_;
  std::optional<std::string> desktopId_;  // none: the application's desktop file name
};

}  // namespace platform
