#include "kit/foundation/debouncer.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

using namespace std::chrono_literals;

TEST(Debouncer, RunsOnlyTheNewestItemOnceTheCallsPauseForTheDelay) {
  platform::ManualExecutor executor;
  std::vector<int> runs;
  {
    kit::Debouncer debouncer(100ms, executor);
    debouncer.call([&] { runs.push_back(1); });
    executor.advance(60ms);
    debouncer.call([&] { runs.push_back(2); });
    executor.advance(60ms);
    EXPECT_TRUE(runs.empty()) << "each call starts the wait again";
    executor.advance(40ms);
    EXPECT_EQ(runs, std::vector<int>{2});

    debouncer.call([&] { runs.push_back(3); });
    executor.advance(100ms);
    EXPECT_EQ(runs, (std::vector<int>{2, 3}));

    debouncer.call([&] { runs.push_back(4); });
  }
  executor.advance(1s);
  EXPECT_EQ(runs, (std::vector<int>{2, 3})) << "releasing the debouncer drops its pending item";
}

}  // namespace
