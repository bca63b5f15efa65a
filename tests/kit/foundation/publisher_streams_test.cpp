#include "kit/foundation/publisher_streams.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/manual_main_executor.h"

using namespace platform;

namespace {

using PublisherStreamsTest = ManualMainExecutorTest;

TEST_F(PublisherStreamsTest, PublisherStreamDeliversValuesAndCancelsItsSubscriptionWhenDropped) {
  rx::PassthroughSubject<int> subject;
  std::vector<int> seen;
  {
    auto stream = kit::asyncStream(subject.publisher());
    auto reader = spawn(main, [&, stream]() -> Task<> {
      while (auto v = co_await stream.next()) seen.push_back(*v);
    });
    subject.send(1);
    subject.send(2);
    main.runUntilIdle();
    reader.cancel();
    main.runUntilIdle();
  }
  subject.send(3);
  main.runUntilIdle();
  EXPECT_EQ(seen, (std::vector<int>{1, 2}));
}

// The bridge's task ends, and its stream terminates, once the last subscriber is gone.
TEST_F(PublisherStreamsTest, StreamPublisherEndsItsTaskWhenTheLastSubscriberCancels) {
  auto [stream, input] = AsyncStream<int>::makeStream();
  std::vector<StreamTermination> ends;
  input.onTermination([&](StreamTermination t) { ends.push_back(t); });
  auto bridged = kit::publisher(stream);
  main.runUntilIdle();
  input.yield(0);  // nobody subscribed yet: lost
  main.runUntilIdle();

  std::vector<int> first, second;
  auto a = bridged.sink([&](const int& v) { first.push_back(v); });
  auto b = bridged.sink([&](const int& v) { second.push_back(v); });
  input.yield(1);
  main.runUntilIdle();
  a.cancel();
  input.yield(2);
  main.runUntilIdle();
  EXPECT_TRUE(ends.empty());
  b.cancel();
  main.runUntilIdle();
  EXPECT_EQ(first, std::vector<int>{1});
  EXPECT_EQ(second, (std::vector<int>{1, 2}));
  EXPECT_EQ(ends, std::vector<StreamTermination>{StreamTermination::cancelled});

  // Released without ever being subscribed to: the task ends as well.
  auto [stream2, input2] = AsyncStream<int>::makeStream();
  bool ended2 = false;
  input2.onTermination([&](StreamTermination) { ended2 = true; });
  { auto unused = kit::publisher(stream2); }
  main.runUntilIdle();
  EXPECT_TRUE(ended2);
}

}  // namespace
