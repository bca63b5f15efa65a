#include "engine/change_publisher.h"

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "doubles/fake_workspace.h"
#include "platform/core/executor.h"

namespace engine {
namespace {

using namespace std::chrono_literals;

// A clipboard that never announces its changes: only the publisher's own samples can see them.
class SilentPasteboard final : public platform::Pasteboard {
 public:
  int64_t count = 7;
  int64_t changeCount() const override { return count; }
  std::vector<std::string> types() override { return {}; }
  std::optional<platform::Bytes> data(std::string_view) override { return std::nullopt; }
  std::vector<platform::PasteboardItem> items() override { return {}; }
  bool write(std::vector<platform::PasteboardEntry>, std::optional<int64_t>) override { return false; }
};

class ChangePublisherTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::setMainExecutorForTesting(&main);
    platform::Workspace::setSharedForTesting(&workspace);
  }
  void TearDown() override {
    platform::Workspace::setSharedForTesting(nullptr);
    platform::setMainExecutorForTesting(nullptr);
  }

  platform::ManualExecutor main;
  platform::FakeWorkspace workspace;
  SilentPasteboard pasteboard;
  std::vector<int64_t> seen;
};

TEST_F(ChangePublisherTest, EachDistinctCountOnceStartingWithTheCountFoundAtSubscription) {
  auto token = changePublisher(pasteboard, 500ms, 200ms).sink([this](const platform::rx::Unit&) {
    seen.push_back(pasteboard.changeCount());
  });
  EXPECT_EQ(seen, std::vector<int64_t>{7}) << "the count at subscription comes first, for the watcher to judge";

  main.advance(2s);
  EXPECT_EQ(seen, std::vector<int64_t>{7}) << "ticks without a change say nothing";

  pasteboard.count = 8;
  main.advance(600ms);
  main.advance(2s);
  EXPECT_EQ(seen, (std::vector<int64_t>{7, 8})) << "a change the timer finds, told once";

  pasteboard.count = 9;
  workspace.send(platform::ApplicationEvent::activate);
  EXPECT_EQ(seen, (std::vector<int64_t>{7, 8, 9})) << "an application event samples at once, without the timer";
  workspace.send(platform::ApplicationEvent::activate);
  main.advance(2s);
  EXPECT_EQ(seen, (std::vector<int64_t>{7, 8, 9}));

  token.cancel();
  pasteboard.count = 10;
  main.advance(2s);
  EXPECT_EQ(seen, (std::vector<int64_t>{7, 8, 9})) << "nothing after cancelling";
}

}  // namespace
}  // namespace engine
