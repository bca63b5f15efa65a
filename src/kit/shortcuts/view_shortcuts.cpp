#include "kit/shortcuts/view_shortcuts.h"

#include <QEvent>
#include <QWidget>
#include <optional>

#include "kit/shortcuts/handlers.h"
#include "platform/core/executor.h"
#include "platform/core/task.h"

namespace kit::GlobalShortcuts {

namespace {

// Consumes a new stream of the events while its view is on screen: started when the view is shown, cancelled when it
// is hidden or goes. Cancelling ends the iteration, which ends the stream and with it its dispatch entries.
class WhileOnScreen : public QObject {
 public:
  using MakeStream = std::function<platform::AsyncStream<EventType>()>;

  WhileOnScreen(QWidget& view, MakeStream makeStream, std::function<void(EventType)> action)
      : QObject(&view), makeStream_(std::move(makeStream)), action_(std::move(action)) {
    view.installEventFilter(this);
    if (view.isVisible()) start();
  }
  ~WhileOnScreen() override { stop(); }
  WhileOnScreen(const WhileOnScreen&) = delete;
  WhileOnScreen& operator=(const WhileOnScreen&) = delete;

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show) start();
    if (event->type() == QEvent::Hide) stop();
    return QObject::eventFilter(watched, event);
  }

 private:
  void start() {
    if (task_) return;
    task_ =
        platform::spawn(platform::mainExecutor(), [stream = makeStream_(), action = action_]() -> platform::Task<void> {
          while (auto event = co_await stream.next()) action(*event);
        });
  }
  void stop() {
    if (auto task = std::exchange(task_, std::nullopt)) task->cancel();
  }

  MakeStream makeStream_;
  std::function<void(EventType)> action_;
  std::optional<platform::Task<void>> task_;
};

}  // namespace

void onKeyboardShortcut(QWidget& view, const Name& name, std::function<void(EventType)> action) {
  new WhileOnScreen(
      view, [name] { return events(name); }, std::move(action));
}

void onKeyboardShortcut(QWidget& view, const Name& name, EventType type, std::function<void()> action) {
  new WhileOnScreen(
      view, [name, type] { return events(type, name); }, [action = std::move(action)](EventType) { action(); });
}

}  // namespace kit::GlobalShortcuts
