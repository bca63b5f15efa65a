#include "platform/core/async_stream.h"

#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <stdexcept>
#include <thread>
#include <vector>

#include "platform/core/task.h"
#include "support/manual_main_executor.h"

using namespace platform;

namespace {

class AsyncStreamTest : public ManualMainExecutorTest {};

Task<std::vector<int>> drain(AsyncStream<int> stream) {
  std::vector<int> seen;
  while (auto v = co_await stream.next()) seen.push_back(*v);
  co_return seen;
}

TEST_F(AsyncStreamTest, ConsumerSeesBufferedElementsThenTheEndAndTerminationFiresOnce) {
  auto streamAndContinuation = AsyncStream<int>::makeStream();
  auto stream = std::move(streamAndContinuation.first);
  auto continuation = std::move(streamAndContinuation.second);
  std::vector<StreamTermination> terminations;
  continuation.onTermination([&](StreamTermination t) { terminations.push_back(t); });
  continuation.yield(1);
  continuation.yield(2);
  continuation.finish();
  EXPECT_EQ(continuation.yield(3), AsyncStream<int>::Continuation::YieldResult::terminated);
  continuation.finish();

  std::vector<int> seen;
  spawn(main, [&, s = stream]() -> Task<> { seen = co_await drain(s); });
  main.runUntilIdle();
  EXPECT_EQ(seen, (std::vector<int>{1, 2}));
  EXPECT_EQ(terminations, std::vector<StreamTermination>{StreamTermination::finished});
}

TEST_F(AsyncStreamTest, WaitingConsumerIsResumedByALaterYield) {
  std::optional<AsyncStream<int>::Continuation> producer;
  AsyncStream<int> stream([&](AsyncStream<int>::Continuation c) { producer.emplace(c); });
  std::vector<int> seen;
  spawn(main, [&]() -> Task<> { seen = co_await drain(stream); });
  main.runUntilIdle();
  EXPECT_TRUE(seen.empty());
  producer->yield(5);
  main.runUntilIdle();
  producer->finish();
  main.runUntilIdle();
  EXPECT_EQ(seen, std::vector<int>{5});
}

TEST_F(AsyncStreamTest, CancellingTheConsumerTaskTerminatesTheStream) {
  auto streamAndContinuation = AsyncStream<int>::makeStream();
  auto stream = std::move(streamAndContinuation.first);
  auto continuation = std::move(streamAndContinuation.second);
  std::vector<StreamTermination> terminations;
  continuation.onTermination([&](StreamTermination t) { terminations.push_back(t); });
  bool ended = false;
  auto task = spawn(main, [&, s = stream]() -> Task<> {
    co_await drain(s);
    ended = true;
  });
  main.runUntilIdle();
  task.cancel();
  main.runUntilIdle();
  EXPECT_TRUE(ended);
  EXPECT_EQ(terminations, std::vector<StreamTermination>{StreamTermination::cancelled});
  EXPECT_EQ(continuation.yield(1), AsyncStream<int>::Continuation::YieldResult::terminated);
}

TEST_F(AsyncStreamTest, DroppingTheConsumerTerminatesTheStream) {
  std::vector<StreamTermination> terminations;
  std::optional<AsyncStream<int>::Continuation> producer;
  {
    AsyncStream<int> stream([&](AsyncStream<int>::Continuation c) {
      c.onTermination([&](StreamTermination t) { terminations.push_back(t); });
      producer.emplace(c);
    });
    producer->yield(1);
  }
  EXPECT_EQ(terminations, std::vector<StreamTermination>{StreamTermination::cancelled});
  EXPECT_EQ(producer->yield(2), AsyncStream<int>::Continuation::YieldResult::terminated);
}

TEST_F(AsyncStreamTest, ThrowingStreamDeliversElementsBeforeItsError) {
  auto streamAndContinuation = AsyncThrowingStream<int>::makeStream();
  auto stream = std::move(streamAndContinuation.first);
  auto continuation = std::move(streamAndContinuation.second);
  continuation.yield(1);
  continuation.finish(std::make_exception_ptr(std::runtime_error("broken")));
  std::vector<int> seen;
  std::string error;
  spawn(main, [&, s = stream]() -> Task<> {
    try {
      while (auto v = co_await s.next()) seen.push_back(*v);
    } catch (const std::runtime_error& e) {
      error = e.what();
    }
  });
  main.runUntilIdle();
  EXPECT_EQ(seen, std::vector<int>{1});
  EXPECT_EQ(error, "broken");
}

// A producer thread and a consumer on the pool; the consumer is cancelled midway. Every element read is in
// order, and termination is reported once, whoever ends the stream.
TEST(AsyncStreamThreadsTest, ProducerThreadAndCancelledPoolConsumer) {
  for (int round = 0; round < 20; ++round) {
    auto streamAndContinuation = AsyncStream<int>::makeStream();
    auto stream = std::move(streamAndContinuation.first);
    auto continuation = std::move(streamAndContinuation.second);
    auto terminations = std::make_shared<std::atomic<int>>(0);
    continuation.onTermination([terminations](StreamTermination) { ++*terminations; });
    auto read = std::make_shared<std::atomic<int>>(0);
    auto inOrder = std::make_shared<std::atomic<bool>>(true);
    auto done = std::make_shared<std::atomic<bool>>(false);
    auto consumer = spawnDetached(Priority::utility, [stream, read, inOrder, done]() -> Task<> {
      int expected = 0;
      while (auto v = co_await stream.next()) {
        if (*v != expected++) *inOrder = false;
        ++*read;
      }
      *done = true;
    });
    std::thread producer([c = continuation] {
      for (int i = 0; i < 5000; ++i)
        if (c.yield(i) == AsyncStream<int>::Continuation::YieldResult::terminated) return;
      c.finish();
    });
    while (read->load() < 100 && !done->load()) std::this_thread::yield();
    consumer.cancel();
    producer.join();
    while (!done->load()) std::this_thread::yield();
    EXPECT_TRUE(inOrder->load());
    EXPECT_EQ(terminations->load(), 1);
  }
}

}  // namespace
