#include "platform/process/worker_process.h"

#include <gtest/gtest.h>

#include <string>
#include <variant>

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
    ASSERT_TRUE(worker->send(message));
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
  EXPECT_FALSE(silent->send("late"));
  ASSERT_TRUE(endsWithin(*silent, 10s));
  EXPECT_EQ(silent->endDescription(), "killed by signal 9");

  auto hungry = WorkerProcess::start("/bin/cat");
  EXPECT_EQ(std::get<Stop>(hungry->receive(in(10s), 0)), Stop::pastMemoryLimit);
  ASSERT_TRUE(endsWithin(*hungry, 10s));
  EXPECT_EQ(hungry->endDescription(), "killed by signal 9");
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

}  // namespace
