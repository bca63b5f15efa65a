#pragma once

#include <QLineEdit>
#include <functional>
#include <memory>
#include <optional>

#include "kit/foundation/event_monitors.h"
#include "kit/shortcuts/name.h"
#include "kit/shortcuts/shortcut.h"
#include "platform/core/notification_center.h"

class QAction;
class QKeyEvent;
class QMenu;

namespace kit::GlobalShortcuts {

// The field in which the user sets the shortcut of one name. It shows the stored shortcut, records when it
// gets the keyboard focus from the user (a click, Tab), takes the next acceptable key combination, refuses
// combinations that our menu or another application already uses, and stores the accepted one. Its clear
// button (or Delete while recording) removes the shortcut. Main thread only.
class Recorder : public QLineEdit {
 public:
  using OnChange = std::function<void(const std::optional<Shortcut>&)>;

  // The width at least: wider as the text shown needs.
  static constexpr int minimumWidth = 130;

  explicit Recorder(Name name, OnChange onChange = {}, QWidget* parent = nullptr);
  ~Recorder() override;

  const Name& shortcutName() const { return shortcutName_; }
  void setShortcutName(Name name);
  bool isRecording() const { return isRecording_; }
  // Stops recording (the field keeps the focus, as when its window goes to the background): the keys pressed
  // afterwards reach whatever gets them, and the shortcuts fire again.
  void endRecording();

  // The menu whose key sequences recorded shortcuts must not repeat (the application's own menu), asked for at each
  // check: a menu that is built only as it opens can be built for the check too. None (or none returned) checks no
  // menu.
  static void setApplicationMenu(std::function<QMenu*()> menu);

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  void refreshText();
  // The clear button shows while there is text to clear, and the width follows the text shown.
  void followShownText();
  void handleFocusChange(QWidget* old, QWidget* now);
  void startRecording();
  void blur();
  void clearShortcut();
  // What becomes of an event the application gets while the field records: the event goes on, or none (swallowed).
  std::optional<Event> handleRecorderEvent(const Event& event);
  void presentAlert(const std::string& message, const std::optional<std::string>& informative);

  Name shortcutName_;
  OnChange onChange_;
  QAction* clearAction_ = nullptr;
  bool isRecording_ = false;
  Qt::FocusReason focusReason_ = Qt::NoFocusReason;  // of the focus the field got last
  std::unique_ptr<LocalEventMonitor> eventMonitor_;  // while recording
  platform::rx::AnyCancellable shortcutsNameChangeObserver_;
};

}  // namespace kit::GlobalShortcuts
