#include "kit/shortcuts/menu_tracking.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QWindow>
#include <set>

#include "kit/shortcuts/carbon_global_shortcuts.h"

namespace kit::GlobalShortcuts {

namespace {

// Follows the popup windows of this application (menus, and the lists of combo boxes, which hold the
// keyboard just the same) and reports whether any is open.
class MenuTracker : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    const QEvent::Type type = event->type();
    if (type != QEvent::Show && type != QEvent::Hide) return false;
    auto* window = qobject_cast<QWindow*>(watched);
    if (window == nullptr) return false;
    if (type == QEvent::Show && window->type() == Qt::Popup) {
      openPopups_.insert(window);
    } else if (type == QEvent::Hide) {
      openPopups_.erase(window);
    }
    setMenuOpen(!openPopups_.empty());
    return false;
  }

 private:
  std::set<QWindow*> openPopups_;
};

}  // namespace

void observeMenuTracking() {
  static bool isObserving = false;
  QCoreApplication* app = QCoreApplication::instance();
  if (isObserving || app == nullptr) return;
  isObserving = true;
  auto* tracker = new MenuTracker();
  tracker->setParent(app);  // lives as long as the application
  app->installEventFilter(tracker);
}

}  // namespace kit::GlobalShortcuts
