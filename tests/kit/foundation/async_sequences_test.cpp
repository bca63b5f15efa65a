#include "kit/foundation/async_sequences.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/core/sleep.h"
#include "support/manual_main_executor.h"

using namespace platform;
using namespace std::chrono_literals;
using kit::AnyAsyncSequence;
using kit::PassthroughAsyncSequence;

namespace {

class AsyncSequencesTest : public VirtualTimeTest {
 protected:
  template <class S>
  std::vector<typename S::Element> collect(S sequence) {
    std::vector<typename S::Element> out;
    spawn(main, [&out, seq = AnyAsyncSequence<typename S::Element>(std::move(sequence))]() -> Task<> {
      auto it = seq.makeAsyncIterator();
      while (auto v = co_await it.next()) out.push_back(*v);
    });
    main.runUntilIdle();
    return out;
  }
};

// A sequence that yields its elements and then fails.
AsyncThrowingStream<int> failingAfter(std::vector<int> elements) {
  auto [stream, c] = AsyncThrowingStream<int>::makeStream();
  for (int e : elements) c.yield(e);
  c.finish(std::make_exception_ptr(std::runtime_error("input broke")));
  return stream;
}

TEST_F(AsyncSequencesTest, RemoveDuplicatesComparesWithTheLastReceivedElement) {
  PassthroughAsyncSequence<int> ints;
  for (int v : {1, 1, 2, 2, 2, 1}) ints.send(v);
  ints.finish();
  ints.send(9);  // after finish: lost
  EXPECT_EQ(collect(kit::removeDuplicates(ints)), (std::vector<int>{1, 2, 1}));

  auto close = [](double a, double b) { return std::abs(a - b) <= 0.5; };
  PassthroughAsyncSequence<double> drift, jump;
  for (double v : {1.0, 1.4, 1.8}) drift.send(v);
  for (double v : {1.0, 1.4, 2.0}) jump.send(v);
  drift.finish();
  jump.finish();
  EXPECT_EQ(collect(kit::removeDuplicates(drift, close)), std::vector<double>{1.0});
  EXPECT_EQ(collect(kit::removeDuplicates(jump, close)), (std::vector<double>{1.0, 2.0}));
}

TEST_F(AsyncSequencesTest, MergeEndsWhenBothInputsEnded) {
  PassthroughAsyncSequence<std::string> empty, letters;
  empty.finish();
  auto merged = kit::mergeWith(empty, letters);
  std::vector<std::string> seen;
  bool ended = false;
  spawn(main, [&, merged]() -> Task<> {
    while (auto v = co_await merged.next()) seen.push_back(*v);
    ended = true;
  });
  main.runUntilIdle();
  letters.send("a");
  letters.send("b");
  main.runUntilIdle();
  EXPECT_EQ(seen, (std::vector<std::string>{"a", "b"}));
  EXPECT_FALSE(ended);  // the second input is still open
  letters.finish();
  main.runUntilIdle();
  EXPECT_TRUE(ended);
}

TEST_F(AsyncSequencesTest, MergeDropsInputErrorsButAFirstInputFailureEndsAtOnce) {
  // The second input fails: the first keeps going and the merge ends with it.
  PassthroughAsyncSequence<int> first;
  auto merged = kit::merge(AnyAsyncSequence<int>(first), AnyAsyncSequence<int>(failingAfter({7})));
  std::vector<int> seen;
  bool ended = false;
  spawn(main, [&, merged]() -> Task<> {
    while (auto v = co_await merged.next()) seen.push_back(*v);
    ended = true;
  });
  main.runUntilIdle();
  first.send(1);
  main.runUntilIdle();
  EXPECT_FALSE(ended);
  first.finish();
  main.runUntilIdle();
  EXPECT_TRUE(ended);
  EXPECT_EQ(seen, (std::vector<int>{7, 1}));

  // The first input fails: the merge ends at once although the second never ends, and the second's pump stops.
  std::vector<StreamTermination> endlessEnd;
  auto [endlessStream, endlessInput] = AsyncStream<int>::makeStream();
  endlessInput.onTermination([&](StreamTermination t) { endlessEnd.push_back(t); });
  auto merged2 = kit::merge(AnyAsyncSequence<int>(failingAfter({1})), AnyAsyncSequence<int>(endlessStream));
  std::vector<int> seen2;
  bool ended2 = false;
  spawn(main, [&, merged2]() -> Task<> {
    while (auto v = co_await merged2.next()) seen2.push_back(*v);
    ended2 = true;
  });
  main.runUntilIdle();
  EXPECT_TRUE(ended2);
  EXPECT_EQ(seen2, std::vector<int>{1});
  EXPECT_EQ(endlessEnd, std::vector<StreamTermination>{StreamTermination::cancelled});
}

TEST_F(AsyncSequencesTest, DroppedMergeConsumerCancelsThePumps) {
  std::vector<StreamTermination> ends;
  auto [a, inputA] = AsyncStream<int>::makeStream();
  auto [b, inputB] = AsyncStream<int>::makeStream();
  inputA.onTermination([&](StreamTermination t) { ends.push_back(t); });
  inputB.onTermination([&](StreamTermination t) { ends.push_back(t); });
  auto consumer = spawn(main, [merged = kit::merge(AnyAsyncSequence<int>(a), AnyAsyncSequence<int>(b))]() -> Task<> {
    while (co_await merged.next()) {
    }
  });
  main.runUntilIdle();
  EXPECT_TRUE(ends.empty());
  consumer.cancel();  // the consumer goes away; the merged stream terminates
  main.runUntilIdle();
  EXPECT_EQ(ends, (std::vector<StreamTermination>{StreamTermination::cancelled, StreamTermination::cancelled}));
  EXPECT_EQ(inputA.yield(1), AsyncStream<int>::Continuation::YieldResult::terminated);
}

TEST_F(AsyncSequencesTest, SinkReportsAFailureOnceAndCancellationStopsIt) {
  std::vector<std::string> reported;
  kit::ZvApp::setErrorReportFilter([&](const Error& error) {
    reported.push_back(error.localizedDescription());
    return false;
  });
  std::vector<int> seen;
  auto reporting = kit::sink(failingAfter({1, 2}), [&](const int& v) { seen.push_back(v); });
  main.runUntilIdle();
  EXPECT_EQ(seen, (std::vector<int>{1, 2}));
  EXPECT_EQ(reported, std::vector<std::string>{"Async stream should not throw: input broke"});

  PassthroughAsyncSequence<int> ints;
  std::vector<int> received;
  auto c = kit::sink(ints, [&](const int& v) { received.push_back(v); });
  ints.send(1);
  main.runUntilIdle();
  c.cancel();
  ints.send(2);
  main.runUntilIdle();
  EXPECT_EQ(received, std::vector<int>{1});
  EXPECT_EQ(reported.size(), 1u);  // cancellation is silent
  kit::ZvApp::setErrorReportFilter(nullptr);
}

TEST_F(AsyncSequencesTest, FirstElementTakesOneElementOrNoneAtTheEndAndPassesErrorsOn) {
  PassthroughAsyncSequence<int> ints;
  std::optional<std::optional<int>> first;
  spawn(main, [&]() -> Task<> { first = co_await kit::firstElement(ints); });
  main.runUntilIdle();
  EXPECT_FALSE(first) << "waits for an element";
  ints.send(7);
  ints.send(8);
  main.runUntilIdle();
  EXPECT_EQ(first, std::optional<int>(7));

  PassthroughAsyncSequence<int> ended;
  ended.finish();
  first.reset();
  spawn(main, [&]() -> Task<> { first = co_await kit::firstElement(ended); });
  main.runUntilIdle();
  ASSERT_TRUE(first) << "the sequence ended";
  EXPECT_EQ(*first, std::nullopt) << "none when the sequence ends first";

  bool failed = false;
  spawn(main, [&]() -> Task<> {
    try {
      co_await kit::firstElement(failingAfter({}));
    } catch (const std::runtime_error&) {
      failed = true;
    }
  });
  main.runUntilIdle();
  EXPECT_TRUE(failed);
}

TEST_F(AsyncSequencesTest, RaceReturnsTheFirstResultAndCancelsTheSleeper) {
  std::optional<int> result;
  bool sleeperCancelled = false;
  spawn(main, [&]() -> Task<> {
    result = co_await kit::race<int>(
        []() -> Task<int> {
          co_await sleepFor(10ms);
          co_return 1;
        },
        [&]() -> Task<int> {
          try {
            co_await sleepFor(1s);
          } catch (const CancellationError&) {
            sleeperCancelled = true;
            throw;
          }
          co_return 2;
        });
  });
  main.runUntilIdle();
  clock.advance(10ms);
  main.runUntilIdle();
  EXPECT_EQ(result, 1);
  EXPECT_TRUE(sleeperCancelled);
  EXPECT_EQ(clock.pendingSleeps(), 0u);

  bool ran = false, threw = false;
  auto cancelled = spawn(main, [&]() -> Task<> {
    try {
      co_await kit::race<int>(
          [&]() -> Task<int> {
            ran = true;
            co_return 1;
          },
          [&]() -> Task<int> {
            ran = true;
            co_return 2;
          });
    } catch (const CancellationError&) {
      threw = true;
    }
  });
  cancelled.cancel();
  main.runUntilIdle();
  EXPECT_TRUE(threw);
  EXPECT_FALSE(ran);
}

}  // namespace
