#include "platform/process/worker_process.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <thread>
#include <variant>

#include "support/substitute_worker.h"

namespace {

using namespace std::chrono_literals;
using platform::WorkerProcess;
using Stop = WorkerProcess::Stop;

auto in(std::chrono::milliseconds wait) { return WorkerProcess::Clock::now() + wait; }

bool endsWithin(WorkerProcess& worker, std::chrono::milliseconds wait) {
  for (auto deadline = in(wait); !worker.hasEnded();) {
    if (WorkerProcess::Clock::now() >= deadline) return false;
  }
  return true;
}

// `cat` answers every message with the same message: the channel's framing seen from both ends.
TEST(WorkerProcessTest, MessagesTravelWholeBothWays) {
  auto worker = WorkerProcess::start("/bin/cat");
  ASSERT_NE(worker, nullptr);
  EXPECT_TRUE(worker->isIdle());
  // Smaller than what the socket holds: `cat` echoes while the message is still being sent.
  const std::string large(64 << 10, 'x');
  for (const std::string& message : {std::string("hello"), std::string(), std::string("a\0b", 3), large}) {
    ASSERT_TRUE(worker->send(message, in(10s)));
    auto answer = worker->receive(in(10s), size_t{1} << 30);
    ASSERT_TRUE(std::holds_alternative<std::string>(answer));
    EXPECT_EQ(std::get<std::string>(answer), message);
  }
  EXPECT_GT(worker->residentMemory().value_or(0), 0u);
  EXPECT_TRUE(worker->isIdle());
  EXPECT_FALSE(worker->hasEnded());
  // Told to end, it ends on its own.
  worker->close();
  EXPECT_TRUE(endsWithin(*worker, 10s));
  EXPECT_EQ(worker->endDescription(), "exited with status 0");
}

TEST(WorkerProcessTest, AWorkerPastItsDeadlineOrMemoryLimitIsKilled) {
  auto silent = WorkerProcess::start("/bin/cat");
  auto started = WorkerProcess::Clock::now();
  EXPECT_EQ(std::get<Stop>(silent->receive(in(100ms), size_t{1} << 30)), Stop::pastDeadline);
  EXPECT_LT(WorkerProcess::Clock::now() - started, 1s);
  EXPECT_FALSE(silent->isIdle());
  EXPECT_FALSE(silent->send("late", in(10s)));
  ASSERT_TRUE(endsWithin(*silent, 10s));
  EXPECT_EQ(silent->endDescription(), "was killed by signal 9");

  auto hungry = WorkerProcess::start("/bin/cat");
  EXPECT_EQ(std::get<Stop>(hungry->receive(in(10s), 0)), Stop::pastMemoryLimit);
  ASSERT_TRUE(endsWithin(*hungry, 10s));
  EXPECT_EQ(hungry->endDescription(), "was killed by signal 9");
}

TEST(WorkerProcessTest, WorkersThatEndOrCannotStartAreReported) {
  auto failing = WorkerProcess::start("/bin/false");
  ASSERT_NE(failing, nullptr);
  EXPECT_EQ(std::get<Stop>(failing->receive(in(10s), size_t{1} << 30)), Stop::ended);
  EXPECT_EQ(failing->endDescription(), "exited with status 1");

  // A worker that quits between messages is no longer taken for idle.
  auto quitting = WorkerProcess::start("/bin/true");
  EXPECT_TRUE(endsWithin(*quitting, 10s));
  EXPECT_FALSE(quitting->isIdle());

  std::string error;
  EXPECT_EQ(WorkerProcess::start("/nonexistent/worker", &error), nullptr);
  EXPECT_EQ(error, "/nonexistent/worker: No such file or directory");
}

// A helper that closes its channel and goes on has a moment to end, then it is killed, whichever way this side
// learns of the closed channel.
TEST(WorkerProcessTest, AHelperThatClosesItsChannelButStaysIsKilled) {
  SubstituteWorker closing("exec <&- >&-; exec sleep 60\n");
  auto receiving = WorkerProcess::start(closing.path());
  EXPECT_EQ(std::get<Stop>(receiving->receive(in(60s), size_t{1} << 30)), Stop::ended);
  ASSERT_TRUE(endsWithin(*receiving, 10s));
  EXPECT_EQ(receiving->endDescription(), "closed its channel without ending, and was killed");

  auto sending = WorkerProcess::start(closing.path());
  // Messages are taken while the helper starts; the first one after it closed the channel fails.
  for (auto deadline = in(10s); sending->send("x", in(10s)) && WorkerProcess::Clock::now() < deadline;) {
    std::this_thread::sleep_for(1ms);
  }
  ASSERT_TRUE(endsWithin(*sending, 10s));
  EXPECT_EQ(sending->endDescription(), "closed its channel without ending, and was killed");
}

bool isGone(pid_t pid) {
  struct stat status {};
  return ::stat(("/proc/" + std::to_string(pid)).c_str(), &status) != 0;
}

// A helper that breaks the exchange holds nobody past the deadline, and is killed.
TEST(WorkerProcessTest, AHelperThatStallsOrOverreachesIsKilledAtOnce) {
  // Stops itself halfway through a message.
  SubstituteWorker stopping("printf '\\020\\000\\000\\000half'; kill -STOP $$; exec sleep 60\n");
  auto stopped = WorkerProcess::start(stopping.path());
  EXPECT_EQ(std::get<Stop>(stopped->receive(in(300ms), size_t{1} << 30)), Stop::pastDeadline);
  ASSERT_TRUE(endsWithin(*stopped, 10s));
  EXPECT_EQ(stopped->endDescription(), "was killed by signal 9");

  // Announces a message larger than allowed, then stays.
  SubstituteWorker announcing("printf '\\377\\377\\377\\177'; exec sleep 60\n");
  auto oversized = WorkerProcess::start(announcing.path());
  EXPECT_EQ(std::get<Stop>(oversized->receive(in(60s), size_t{1} << 20)), Stop::oversized);
  EXPECT_EQ(oversized->announcedSize(), 0x7fffffffu);
  ASSERT_TRUE(endsWithin(*oversized, 10s));
  EXPECT_EQ(oversized->endDescription(), "was killed by signal 9");

  // Takes nothing from the channel: a message larger than the socket holds cannot be sent before the deadline.
  SubstituteWorker deaf("exec sleep 60\n");
  auto notReading = WorkerProcess::start(deaf.path());
  EXPECT_FALSE(notReading->send(std::string(16 << 20, 'x'), in(300ms)));
  ASSERT_TRUE(endsWithin(*notReading, 10s));
}

TEST(WorkerProcessTest, AHelperThatEndsIsReapedWithoutBeingAsked) {
  auto quitting = WorkerProcess::start("/bin/true");
  const pid_t pid = quitting->pid();
  // Nothing is asked of the helper: no zombie is left behind all the same.
  for (auto deadline = in(10s); !isGone(pid) && WorkerProcess::Clock::now() < deadline;) {
    std::this_thread::sleep_for(10ms);
  }
  EXPECT_TRUE(isGone(pid));
  EXPECT_EQ(quitting->endDescription(), "exited with status 0");
}

}  // namespace
