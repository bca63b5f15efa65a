#pragma once

#include <QEvent>
#include <QMainWindow>
#include <vector>

namespace kit {

// A window that can stop taking input for a while (while a long operation runs in it) without disabling its
// controls one by one: mouse buttons and drags, keys (with the window's shortcuts), text from an input method, the
// wheel, tablet, touch and gestures are dropped, not queued, while plain pointer moves, entering and leaving, modifier
// keys alone, and everything else (painting, moving, closing) go on. It never offers to show or hide its toolbars.
// Main thread only.
class UserInteractionPausableWindow : public QMainWindow {
  Q_OBJECT

 public:
  explicit UserInteractionPausableWindow(QWidget* parent = nullptr);

  bool isUserInteractionEnabled() const { return isUserInteractionEnabled_; }
  void setUserInteractionEnabled(bool enabled);

  // No menu that shows or hides toolbars, whatever the state.
  QMenu* createPopupMenu() override { return nullptr; }

  // The event types dropped while input is paused (a mouse move counts only with a button held, a key only when it
  // is no modifier).
  static const std::vector<QEvent::Type>& pausedEventTypes();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool isMine(QObject* receiver) const;

  bool isUserInteractionEnabled_ = true;
};

}  // namespace kit
