#include "platform/core/rx_publisher.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/core/rx_subjects.h"
#include "support/manual_main_executor.h"

using namespace platform;
using namespace platform::rx;
using namespace std::chrono_literals;

namespace {

class PublisherTest : public ManualMainExecutorTest {};

TEST_F(PublisherTest, OperatorsKeepStatePerSubscription) {
  PassthroughSubject<int> subject;
  auto pipeline =
      subject.publisher().dropFirst().removeDuplicates().compactMap([](int v) -> std::optional<std::string> {
        if (v < 0) return std::nullopt;
        return std::to_string(v);
      });
  std::vector<std::string> first, second;
  auto a = pipeline.sink([&](const std::string& s) { first.push_back(s); });
  subject.send(1);  // dropped by a
  auto b = pipeline.sink([&](const std::string& s) { second.push_back(s); });
  subject.send(2);  // dropped by b
  subject.send(2);
  subject.send(-1);
  subject.send(3);
  EXPECT_EQ(first, (std::vector<std::string>{"2", "3"}));
  EXPECT_EQ(second, (std::vector<std::string>{"2", "3"}));  // b dropped its own first value
}

TEST_F(PublisherTest, DebouncePassesOnTheLastValueOfABurstOnceItSettled) {
  PassthroughSubject<int> subject;
  std::vector<int> seen;
  bool finished = false;
  auto sink = subject.publisher()
                  .debounce(100ms, main)
                  .sink([&](const int& v) { seen.push_back(v); }, [&] { finished = true; });
  subject.send(1);
  main.advance(60ms);
  subject.send(2);
  main.advance(60ms);
  subject.send(3);
  main.advance(99ms);
  EXPECT_TRUE(seen.empty());
  main.advance(1ms);
  EXPECT_EQ(seen, std::vector<int>{3});

  subject.send(4);
  subject.finish();
  main.advance(200ms);
  EXPECT_EQ(seen, std::vector<int>{3}) << "the end drops the waiting value";
  EXPECT_TRUE(finished);

  PassthroughSubject<int> other;
  auto cancelled = other.publisher().debounce(10ms, main).sink([&](const int& v) { seen.push_back(v); });
  other.send(5);
  cancelled.cancel();
  main.advance(20ms);
  EXPECT_EQ(seen, std::vector<int>{3});
}

TEST_F(PublisherTest, NothingIsDeliveredAfterCancel) {
  PassthroughSubject<int> subject;
  std::vector<int> seen;
  AnyCancellable c;
  c = subject.publisher().sink([&](const int& v) {
    seen.push_back(v);
    c.cancel();  // from inside its own callback
  });
  subject.send(1);
  subject.send(2);
  EXPECT_EQ(seen, std::vector<int>{1});

  // Values already posted to an executor are not delivered once the sink is cancelled.
  std::vector<int> later;
  auto posted = subject.publisher().receiveOn(main).sink([&](const int& v) { later.push_back(v); });
  subject.send(3);
  posted.cancel();
  main.runUntilIdle();
  EXPECT_TRUE(later.empty());
}

TEST_F(PublisherTest, CancelWaitsForADeliveryInProgressOnAnotherThread) {
  PassthroughSubject<int> subject;
  std::atomic<bool> inCallback{false}, release{false}, cancelReturned{false};
  std::atomic<int> deliveredAfterCancel{0};
  auto c = subject.publisher().sink([&](const int&) {
    if (cancelReturned) ++deliveredAfterCancel;
    inCallback = true;
    while (!release) std::this_thread::yield();
  });
  std::thread sender([&] { subject.send(1); });
  while (!inCallback) std::this_thread::yield();
  std::thread canceller([&] {
    c.cancel();
    cancelReturned = true;
  });
  std::this_thread::sleep_for(10ms);
  EXPECT_FALSE(cancelReturned);  // still waiting for the callback
  release = true;
  sender.join();
  canceller.join();
  subject.send(2);
  EXPECT_EQ(deliveredAfterCancel, 0);
}

TEST_F(PublisherTest, MergeInterleavesAndFinishesOnlyWhenAllInputsFinished) {
  PassthroughSubject<int> a, b;
  std::vector<int> seen;
  bool finished = false;
  auto c = merge<int>({a.publisher(), b.publisher()})
               .sink([&](const int& v) { seen.push_back(v); }, [&] { finished = true; });
  a.send(1);
  b.send(2);
  a.finish();
  EXPECT_FALSE(finished);
  b.send(3);
  b.finish();
  EXPECT_TRUE(finished);
  EXPECT_EQ(seen, (std::vector<int>{1, 2, 3}));

  bool emptyFinished = false;
  auto e = merge<int>({}).sink([](const int&) {}, [&] { emptyFinished = true; });
  EXPECT_TRUE(emptyFinished);
}

TEST_F(PublisherTest, ReceiveOnKeepsOrderAndDelayUsesTheExecutorsTime) {
  PassthroughSubject<int> subject;
  std::vector<int> seen;
  auto c = subject.publisher().receiveOn(main).sink([&](const int& v) { seen.push_back(v); });
  for (int i = 0; i < 5; ++i) subject.send(i);
  EXPECT_TRUE(seen.empty());
  main.runUntilIdle();
  EXPECT_EQ(seen, (std::vector<int>{0, 1, 2, 3, 4}));

  std::vector<int> delayed;
  auto d = subject.publisher().delay(100ms, main).sink([&](const int& v) { delayed.push_back(v); });
  subject.send(9);
  main.advance(99ms);
  EXPECT_TRUE(delayed.empty());
  main.advance(1ms);
  EXPECT_EQ(delayed, std::vector<int>{9});
}

}  // namespace
