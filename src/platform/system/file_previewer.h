#pragma once

#include <QDBusConnection>
#include <cstdint>
#include <optional>
#include <string>

namespace platform {

// The file previewer that some file managers export on the session bus (org.gnome.NautilusPreviewer): a quick
// window showing a file, above a window of the caller's. Main thread only; the calls wait for the previewer.
class FilePreviewer {
 public:
  explicit FilePreviewer(QDBusConnection bus);
  // The one on the session bus, made on first use.
  static FilePreviewer& shared();

  // Whether a previewer runs on the bus or can be started by it.
  bool isAvailable() const;
  // Whether the previewer's window is shown; false without a previewer.
  bool isVisible() const;
  // Shows the file (a URI) above the X11 window `parent` (0 for none). The previewer's error message, if it fails.
  std::optional<std::string> show(const std::string& fileUri, uint32_t parent);
  std::optional<std::string> close();

 private:
  QDBusConnection bus_;
};

}  // namespace platform
