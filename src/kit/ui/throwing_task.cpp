#include "kit/ui/throwing_task.h"

#include <QPointer>
#include <QWidget>

#include "kit/foundation/report_error.h"
#include "kit/ui/on_screen_tracking.h"

namespace kit {

namespace {

// Starts the action each time the view comes on screen and cancels it when the view leaves the screen or goes.
class ThrowingTask final : public QObject {
 public:
  ThrowingTask(QWidget& view, Binding<std::shared_ptr<const platform::Error>> error,
               std::function<platform::Task<void>()> action)
      : QObject(&view), error_(std::move(error)), action_(std::move(action)) {
    // Owned here, so that it never calls back into a task runner that is gone.
    onScreenChange(view, [this](bool onScreen) { onScreen ? start() : cancel(); })->setParent(this);
  }
  ~ThrowingTask() override { cancel(); }

 private:
  void start() {
    cancel();
    QPointer<QObject> self(this);
    task_ = platform::spawn(platform::mainExecutor(),
                            [self, setError = error_.set, action = action_]() -> platform::Task<void> {
                              std::exception_ptr failure;
                              try {
                                co_await action();
                              } catch (...) {
                                failure = std::current_exception();
                              }
                              if (!failure || !setError) co_return;
                              // The error belongs to the view's state, which lives on the main thread.
                              platform::mainExecutor().post([self, setError, failure] {
                                if (self) setError(asError(failure));
                              });
                            });
  }

  void cancel() {
    if (task_) task_->cancel();
    task_.reset();
  }

  Binding<std::shared_ptr<const platform::Error>> error_;
  std::function<platform::Task<void>()> action_;
  std::optional<platform::Task<void>> task_;
};

}  // namespace

void throwingTask(QWidget& view, Binding<std::shared_ptr<const platform::Error>> error,
                  std::function<platform::Task<void>()> action) {
  new ThrowingTask(view, std::move(error), std::move(action));
}

}  // namespace kit
