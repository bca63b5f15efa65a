#include "kit/ui/dark_mode.h"

#include <QEvent>
#include <QGuiApplication>

#include "kit/foundation/app_appearance.h"
#include "platform/system/color_scheme.h"

namespace kit {

namespace {

platform::DesktopColorScheme* chosenScheme = nullptr;

platform::DesktopColorScheme& desktopScheme() {
  return chosenScheme != nullptr ? *chosenScheme : platform::DesktopColorScheme::shared();
}

// Follows the portal's colour scheme and the application palette, and says when the outcome changes.
class DarkModeWatcher : public QObject {
 public:
  DarkModeWatcher() : isDark_(isDarkMode()) {
    followPortal();
    if (qGuiApp != nullptr) qGuiApp->installEventFilter(this);
  }
  static DarkModeWatcher& shared() {
    static auto* watcher = new DarkModeWatcher;  // lives for the process
    return *watcher;
  }
  platform::rx::Publisher<bool> changes() const { return changes_.publisher(); }

  void followPortal() {
    portalChanges_ = desktopScheme().changes().sink([this](platform::ColorScheme) { check(); });
    check();
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == qGuiApp && event->type() == QEvent::ApplicationPaletteChange) check();
    return false;
  }

 private:
  void check() {
    const bool dark = isDarkMode();
    if (dark == isDark_) return;
    isDark_ = dark;
    changes_.send(dark);
  }

  bool isDark_;
  platform::rx::PassthroughSubject<bool> changes_;
  platform::rx::AnyCancellable portalChanges_;
};

}  // namespace

bool isDarkMode() { return effectiveAppearance(AppAppearance::system, desktopScheme()) == AppAppearance::dark; }

platform::rx::Publisher<bool> darkModeChanges() { return DarkModeWatcher::shared().changes(); }

void useDesktopColorScheme(platform::DesktopColorScheme* scheme) {
  chosenScheme = scheme;
  DarkModeWatcher::shared().followPortal();
}

}  // namespace kit
