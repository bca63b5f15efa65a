#pragma once

#include <QColor>
#include <functional>

#include "platform/core/rx.h"

namespace platform {
class DesktopColorScheme;
}

namespace kit {

// Whether the application looks dark: as the desktop's colour scheme says where its portal states one, else as the
// palette's window colour is dark. Main thread only.
bool isDarkMode();

// Each change of isDarkMode(), from the portal's announcements or a new application palette, on the main thread.
platform::rx::Publisher<bool> darkModeChanges();

// Follows another portal than the session bus's (a test's); none goes back to the session bus's.
void useDesktopColorScheme(platform::DesktopColorScheme* scheme);

// A colour that follows the appearance: the provider is asked again, with isDarkMode(), each time it is resolved.
class DynamicColor {
 public:
  explicit DynamicColor(std::function<QColor(bool isDark)> provider) : provider_(std::move(provider)) {}
  QColor resolved() const { return provider_(isDarkMode()); }

 private:
  std::function<QColor(bool)> provider_;
};

}  // namespace kit
