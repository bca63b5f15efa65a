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
  // The session bus's entry of this application (its desktop file name), made on first use.
  static LauncherEntry& shared();

  // Shows the fraction (0 to 1) over the icon, or hides the progress with none. False when the bus did not take
  // the signal (no session bus).
  bool setProgress(std::optional<double> fraction);

  // "application://<desktop id>.desktop", the entry the signal names.
  std::string applicationUri() const;

 private:
  QDBusConnection bus_;
  std::string desktopId_;
};

}  // namespace platform
