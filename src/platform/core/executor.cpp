#include "platform/core/executor.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMetaObject>
#include <QThread>
#include <algorithm>
#include <condition_variable>
#include <system_error>
#include <thread>

#include "platform/core/deadline_queue.h"
#include "platform/core/runtime_log.h"
#include "platform/core/thread_name.h"
#include "platform/core/timer.h"

namespace platform {

namespace {

thread_local Executor* tlsCurrentExecutor = nullptr;

std::shared_ptr<std::atomic<bool>> newFlag() { return std::make_shared<std::atomic<bool>>(false); }

// span × num / den without overflowing on the way; beyond the largest span it is the largest span.
std::chrono::nanoseconds scaled(std::chrono::nanoseconds span, int64_t num, int64_t den) {
  __extension__ using Int128 = __int128;
  Int128 result = static_cast<Int128>(span.count()) * num / den;
  if (result > std::chrono::nanoseconds::max().count()) return std::chrono::nanoseconds::max();
  return std::chrono::nanoseconds(static_cast<int64_t>(result));
}

class ThreadPoolExecutor final : public Executor {
 public:
  // Threads start as work needs them, up to `maxThreads`, and then stay: a program that posts little keeps few.
  explicit ThreadPoolExecutor(unsigned maxThreads) : maxThreads_(maxThreads) {}

  void post(std::function<void()> work) override {
    bool startThread = false;
    {
      std::lock_guard lock(mutex_);
      queue_.push_back(std::move(work));
      if (queue_.size() > idle_ && threads_ < maxThreads_) {
        ++threads_;
        startThread = true;
      }
    }
    available_.notify_one();
    if (!startThread) return;
    try {
      std::thread([this] { run(); }).detach();  // the pool lives as long as the program
    } catch (const std::system_error&) {
      // No thread for now: the work waits for one already running, or for the next post to start one.
      std::lock_guard lock(mutex_);
      --threads_;
    }
  }

  Cancel postAfter(std::chrono::nanoseconds delay, std::function<void()> work) override {
    auto flag = newFlag();
    // Delayed work of executors without a loop of their own (pool, serial executors) waits on the steady clock.
    DeadlineTimer::monotonic().scheduleAfter(delay, [this, flag, work = std::move(work)]() mutable {
      if (!flag->load())
        post([flag, work = std::move(work)] {
          if (!flag->load()) work();
        });
    });
    return Cancel(flag);
  }

 private:
  void run() {
    nameThisThread("q-pool");
    CurrentExecutorScope scope(this);
    std::unique_lock lock(mutex_);
    for (;;) {
      ++idle_;
      available_.wait(lock, [this] { return !queue_.empty(); });
      --idle_;
      auto work = std::move(queue_.front());
      queue_.pop_front();
      lock.unlock();
      work();
      work = nullptr;  // release captures before taking the lock again
      lock.lock();
    }
  }

  const unsigned maxThreads_;
  std::mutex mutex_;
  std::condition_variable available_;
  std::deque<std::function<void()>> queue_;
  unsigned threads_ = 0;  // started
  unsigned idle_ = 0;     // waiting for work
};

// Runs at start + n × interval, whenever each run is delivered, so that late runs do not push the later ones back;
// runs missed entirely (a blocked loop, a suspended machine) are dropped, not delivered in a burst. Cancelling stops
// the next run from starting, and with it the chain.
struct RepeatingWork : std::enable_shared_from_this<RepeatingWork> {
  Executor* executor;
  std::chrono::nanoseconds interval;
  std::chrono::nanoseconds tolerance;
  std::chrono::nanoseconds lastDeadline;  // the start, until the first run
  std::function<void()> work;
  std::shared_ptr<std::atomic<bool>> cancelled;

  void schedule() {
    auto now = executor->now();
    lastDeadline = nextRepeatDeadline(lastDeadline, interval, now);
    auto delay = lastDeadline - now;
    auto run = [self = shared_from_this()] {
      if (self->cancelled->load()) return;
      self->work();
      self->schedule();
    };
    if (tolerance > std::chrono::nanoseconds::zero())
      executor->postAfterTolerating(delay, tolerance, std::move(run));
    else
      executor->postAfter(delay, std::move(run));
  }
};

class QtMainExecutor final : public Executor {
 public:
  // The work waits in our own queue; each Qt event runs the oldest item. Besides keeping FIFO order, the queue's
  // mutex makes the hand-over between threads visible to the thread sanitizer, which cannot see inside Qt.
  void post(std::function<void()> work) override {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) {
      logRuntimeIssue("main executor: work posted without a QCoreApplication is dropped");
      return;
    }
    // Made outside our lock: moving the receiver to the main thread delivers an event to it synchronously.
    std::call_once(receiverOnce_, [&] {
      auto* receiver = new Receiver(this);
      if (receiver->thread() != app->thread()) receiver->moveToThread(app->thread());
      receiver_.store(receiver);
    });
    QEvent* event;
    {
      std::lock_guard lock(mutex_);
      queue_.push_back(std::move(work));
      event = new QEvent(runEventType());  // made under the lock that the receiver takes before reading it
    }
    QCoreApplication::postEvent(receiver_.load(), event);
  }

  Cancel postAfter(std::chrono::nanoseconds delay, std::function<void()> work) override {
    return schedule(delay, Qt::PreciseTimer, std::move(work));
  }

  // A coarse timer may fire up to 5% of its interval early or late. Lengthened by that much, it fires at or after
  // the delay and at most about a tenth late, which a tolerance of that size allows.
  Cancel postAfterTolerating(std::chrono::nanoseconds delay, std::chrono::nanoseconds tolerance,
                             std::function<void()> work) override {
    if (delay <= std::chrono::nanoseconds(0) || tolerance < scaled(delay, 11, 100))
      return schedule(delay, Qt::PreciseTimer, std::move(work));
    return schedule(scaled(delay, 100, 95), Qt::CoarseTimer, std::move(work));
  }

 private:
  // Any delay: a Timer waits out what one Qt timer cannot.
  Cancel schedule(std::chrono::nanoseconds delay, Qt::TimerType type, std::function<void()> work) {
    auto flag = newFlag();
    auto start = [this, flag, delay, type, work = std::move(work)]() mutable {
      auto run = [this, flag, work = std::move(work)] {
        if (flag->load()) return;
        CurrentExecutorScope scope(this);
        work();
      };
      // Work without delay keeps its place among the work posted meanwhile.
      if (delay <= std::chrono::nanoseconds(0)) return post(std::move(run));
      auto* timer = new Timer(QCoreApplication::instance());
      timer->setSingleShot(true);
      timer->setTimerType(type);
      timer->setInterval(delay);
      timer->onTimeout(std::move(run));
      timer->schedule();
    };
    startOnMainThread(std::move(start));
    return Cancel(flag);
  }

  // One timer for all the runs: a run allocates nothing and registers no timer.
  Cancel postRepeating(std::chrono::nanoseconds interval, std::chrono::nanoseconds tolerance,
                       std::function<void()> work) override {
    auto flag = newFlag();
    interval = std::max(interval, std::chrono::nanoseconds(1));
    // Qt's coarse timers fire up to 5% late to share wake-ups; a smaller tolerance needs a precise one.
    Qt::TimerType type = scaled(tolerance, 20, 1) >= interval ? Qt::CoarseTimer : Qt::PreciseTimer;
    auto start = [this, flag, interval, type, work = std::move(work)]() mutable {
      auto* timer = new Timer(QCoreApplication::instance());
      timer->setTimerType(type);
      timer->setInterval(interval);
      timer->onTimeout([this, flag, timer, work = std::move(work)] {
        if (flag->load()) return timer->stop();  // which releases it
        CurrentExecutorScope scope(this);
        work();
      });
      timer->schedule();
    };
    startOnMainThread(std::move(start));
    return Cancel(flag);
  }

 private:
  // Timers belong to the main thread: started there at once, or from the main loop.
  void startOnMainThread(std::function<void()> start) {
    QCoreApplication* app = QCoreApplication::instance();
    if (app && QThread::currentThread() == app->thread())
      start();
    else
      post(std::move(start));
  }

  // Receives one event per posted item, on the main thread.
  class Receiver final : public QObject {
   public:
    explicit Receiver(QtMainExecutor* executor) : executor_(executor) {}
    bool event(QEvent* event) override {
      { std::lock_guard sync(executor_->mutex_); }
      if (event->type() != runEventType()) return QObject::event(event);
      executor_->runOldest();
      return true;
    }

   private:
    QtMainExecutor* executor_;
  };

  static QEvent::Type runEventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
  }

  void runOldest() {
    std::function<void()> work;
    {
      std::lock_guard lock(mutex_);
      if (queue_.empty()) return;
      work = std::move(queue_.front());
      queue_.pop_front();
    }
    CurrentExecutorScope scope(this);
    work();
  }

  std::mutex mutex_;
  std::deque<std::function<void()>> queue_;
  std::once_flag receiverOnce_;
  std::atomic<Receiver*> receiver_{nullptr};  // lives as long as the process
};

std::atomic<Executor*> mainOverride{nullptr};

}  // namespace

Cancel Executor::postAfterTolerating(std::chrono::nanoseconds delay, std::chrono::nanoseconds,
                                     std::function<void()> work) {
  return postAfter(delay, std::move(work));
}

std::chrono::nanoseconds Executor::now() const { return std::chrono::steady_clock::now().time_since_epoch(); }

void Cancel::cancel() {
  if (cancelled_) cancelled_->store(true);
}

bool Cancel::isCancelled() const { return cancelled_ && cancelled_->load(); }

Executor& mainExecutor() {
  if (Executor* e = mainOverride.load()) return *e;
  static QtMainExecutor* qtMain = new QtMainExecutor();
  return *qtMain;
}

Executor& globalExecutor(Priority) {
  static ThreadPoolExecutor* pool = new ThreadPoolExecutor(std::max(2u, std::thread::hardware_concurrency()));
  return *pool;
}

void setMainExecutorForTesting(Executor* executor) { mainOverride.store(executor); }

Executor* currentExecutor() { return tlsCurrentExecutor; }

CurrentExecutorScope::CurrentExecutorScope(Executor* executor) : previous_(tlsCurrentExecutor) {
  tlsCurrentExecutor = executor;
}

CurrentExecutorScope::~CurrentExecutorScope() { tlsCurrentExecutor = previous_; }

// ---- SerialExecutor

struct SerialExecutor::State : std::enable_shared_from_this<State> {
  explicit State(Executor& base, SerialExecutor* owner) : base(base), owner(owner) {}
  Executor& base;
  SerialExecutor* owner;  // cleared when the executor goes away
  std::mutex mutex;
  std::deque<std::function<void()>> queue;
  bool draining = false;

  void enqueue(std::function<void()> work) {
    bool start = false;
    {
      std::lock_guard lock(mutex);
      if (!owner) return;
      queue.push_back(std::move(work));
      start = !draining;
      draining = true;
    }
    if (start) base.post([self = shared_from_this()] { self->drain(); });
  }

  void drain() {
    for (;;) {
      std::function<void()> work;
      SerialExecutor* current;
      {
        std::lock_guard lock(mutex);
        if (queue.empty() || !owner) {
          draining = false;
          return;
        }
        work = std::move(queue.front());
        queue.pop_front();
        current = owner;
      }
      CurrentExecutorScope scope(current);
      work();
    }
  }
};

SerialExecutor::SerialExecutor(Executor& base) : state_(std::make_shared<State>(base, this)) {}

SerialExecutor::~SerialExecutor() {
  std::lock_guard lock(state_->mutex);
  state_->owner = nullptr;
  state_->queue.clear();
}

void SerialExecutor::post(std::function<void()> work) { state_->enqueue(std::move(work)); }

Cancel Executor::postRepeating(std::chrono::nanoseconds interval, std::chrono::nanoseconds tolerance,
                               std::function<void()> work) {
  auto repeating = std::make_shared<RepeatingWork>();
  repeating->executor = this;
  repeating->interval = std::max(interval, std::chrono::nanoseconds(1));
  repeating->tolerance = tolerance;
  repeating->lastDeadline = now();
  repeating->work = std::move(work);
  repeating->cancelled = newFlag();
  repeating->schedule();
  return Cancel(repeating->cancelled);
}

Cancel SerialExecutor::postAfter(std::chrono::nanoseconds delay, std::function<void()> work) {
  auto flag = newFlag();
  std::weak_ptr<State> weak = state_;
  DeadlineTimer::monotonic().scheduleAfter(delay, [weak, flag, work = std::move(work)]() mutable {
    if (flag->load()) return;
    if (auto state = weak.lock())
      state->enqueue([flag, work = std::move(work)] {
        if (!flag->load()) work();
      });
  });
  return Cancel(flag);
}

// ---- ManualExecutor

void ManualExecutor::post(std::function<void()> work) {
  std::lock_guard lock(mutex_);
  ready_.push_back(std::move(work));
}

Cancel ManualExecutor::postAfter(std::chrono::nanoseconds delay, std::function<void()> work) {
  std::lock_guard lock(mutex_);
  Cancel token(newFlag());
  delayed_.push_back({deadlineAfter(now_, delay), sequence_++, std::move(work), token});
  return token;
}

bool ManualExecutor::runOne() {
  std::function<void()> work;
  {
    std::lock_guard lock(mutex_);
    if (ready_.empty()) return false;
    work = std::move(ready_.front());
    ready_.pop_front();
  }
  CurrentExecutorScope scope(this);
  work();
  return true;
}

std::size_t ManualExecutor::runUntilIdle() {
  std::size_t count = 0;
  while (runOne()) ++count;
  return count;
}

void ManualExecutor::advance(std::chrono::nanoseconds by) {
  std::chrono::nanoseconds target;
  {
    std::lock_guard lock(mutex_);
    target = now_ + by;
  }
  for (;;) {
    runUntilIdle();
    std::function<void()> work;
    {
      std::lock_guard lock(mutex_);
      std::erase_if(delayed_, [](const Delayed& d) { return d.token.isCancelled(); });
      auto next = std::min_element(delayed_.begin(), delayed_.end(), [](const Delayed& a, const Delayed& b) {
        return a.deadline != b.deadline ? a.deadline < b.deadline : a.sequence < b.sequence;
      });
      if (next == delayed_.end() || next->deadline > target) {
        now_ = target;
        break;
      }
      now_ = std::max(now_, next->deadline);
      work = std::move(next->work);
      delayed_.erase(next);
    }
    CurrentExecutorScope scope(this);
    work();
  }
  runUntilIdle();
}

std::chrono::nanoseconds ManualExecutor::now() const {
  std::lock_guard lock(mutex_);
  return now_;
}

bool ManualExecutor::hasPendingWork() const {
  std::lock_guard lock(mutex_);
  return !ready_.empty() ||
         std::any_of(delayed_.begin(), delayed_.end(), [](const Delayed& d) { return !d.token.isCancelled(); });
}

}  // namespace platform
