#include "platform/js/js_worker_process.h"

#include <gtest/gtest.h>

#include <string>
#include <variant>

namespace {

using namespace std::chrono_literals;
using platform::JSWorkerProcess;
using Stop = JSWorkerProcess::Stop;

auto in(std::chrono::milliseconds wait) { return JSWorkerProcess::Clock::now() + wait; }

// `cat` answers every message with the same message: the channel's framing seen from both ends.
TEST(JSWorkerProcessTest, MessagesTravelWholeBothWays) {
  auto worker = JSWorkerProcess::start("/bin/cat");
  ASSERT_NE(worker, nullptr);
  EXPECT_FALSE(worker->hasEnded());
  // Smaller than what the socket holds: `cat` echoes while the message is still being sent.
  const std::string large(64 << 10, 'x');
  for (const std::string& message : {std::string("hello"), std::string(), std::string("a\0b", 3), large}) {
    ASSERT_TRUE(worker->send(message));
    auto answer = worker->receive(in(10s), size_t{1} << 30);
    ASSERT_TRUE(std::holds_alternative<std::string>(answer));
    EXPECT_EQ(std::get<std::string>(answer), message);
  }
  EXPECT_GT(worker->residentMemory().value_or(0), 0u);
  EXPECT_FALSE(worker->hasEnded());
}

TEST(JSWorkerProcessTest, AWorkerPastItsDeadlineOrMemoryLimitIsKilled) {
  auto silent = JSWorkerProcess::start("/bin/cat");
  auto started = JSWorkerProcess::Clock::now();
  EXPECT_EQ(std::get<Stop>(silent->receive(in(100ms), size_t{1} << 30)), Stop::pastDeadline);
  EXPECT_LT(JSWorkerProcess::Clock::now() - started, 1s);
  EXPECT_EQ(silent->endDescription(), "killed by signal 9");
  EXPECT_TRUE(silent->hasEnded());
  EXPECT_FALSE(silent->send("late"));

  auto hungry = JSWorkerProcess::start("/bin/cat");
  EXPECT_EQ(std::get<Stop>(hungry->receive(in(10s), 0)), Stop::pastMemoryLimit);
  EXPECT_EQ(hungry->endDescription(), "killed by signal 9");
}

TEST(JSWorkerProcessTest, WorkersThatEndOrCannotStartAreReported) {
  auto failing = JSWorkerProcess::start("/bin/false");
  ASSERT_NE(failing, nullptr);
  EXPECT_EQ(std::get<Stop>(failing->receive(in(10s), size_t{1} << 30)), Stop::ended);
  EXPECT_EQ(failing->endDescription(), "exited with status 1");

  auto quitting = JSWorkerProcess::start("/bin/true");
  for (auto deadline = in(10s); !quitting->hasEnded() && JSWorkerProcess::Clock::now() < deadline;) {
  }
  EXPECT_TRUE(quitting->hasEnded());

  std::string error;
  EXPECT_EQ(JSWorkerProcess::start("/nonexistent/worker", &error), nullptr);
  EXPECT_EQ(error, "/nonexistent/worker: No such file or directory");
}

}  // namespace
