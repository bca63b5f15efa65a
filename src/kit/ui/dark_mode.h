#pragma once

#include <QColor>
#include <functional>

#include "kit/foundation/app_appearance.h"
#include "platform/core/rx.h"

namespace platform {
class DesktopColorScheme;
}

namespace kit {

// Whether the desktop looks dark: as its colour scheme says where its portal states one, else as the application's
// palette. The panel of the status item follows it; a window is drawn with its palette, which Qt does not change
// with the scheme, so what it draws follows isDarkMode(palette). Main thread only.
bool isDarkMode();

// Each change of isDarkMode(), from the portal's announcements or a new application palette, on the main thread.
platform::rx::Publisher<bool> darkModeChanges();

// Follows another portal than the session bus's (a test's); none goes back to the session bus's.
void useDesktopColorScheme(platform::DesktopColorScheme* scheme);

// A colour that follows the look it is drawn in: the provider is asked again each time it is resolved, with whether
// the palette drawn with (a widget's palette()) is dark.
class DynamicColor {
 public:
  explicit DynamicColor(std::function<QColor(bool isDark)> provider) : provider_(std::move(provider)) {}
  QColor resolved(const QPalette& palette) const { return provider_(isDarkMode(palette)); }

 private:
  std::function<QColor(bool)> provider_;
};

}  // namespace kit
