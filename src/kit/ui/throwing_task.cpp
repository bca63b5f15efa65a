#include "kit/ui/throwing_task.h"

namespace kit {

platform::Task<void> throwingTask(QObject& view, std::function<void(std::exception_ptr)> setError,
                                  std::function<platform::Task<void>()> action) {
  QPointer<QObject> owner(&view);
  auto task =
      platform::spawn(platform::mainExecutor(),
                      [owner, setError = std::move(setError), action = std::move(action)]() -> platform::Task<void> {
                        std::exception_ptr error;
                        try {
                          co_await action();
                        } catch (...) {
                          error = std::current_exception();
                        }
                        if (!error) co_return;
                        // The error belongs to the view's state, which lives on the main thread.
                        platform::mainExecutor().post([owner, setError, error] {
                          if (owner) setError(error);
                        });
                      });
  QObject::connect(&view, &QObject::destroyed, [task] { task.cancel(); });
  return task;
}

}  // namespace kit
