#include "kit/foundation/system_event_publishers.h"

#include <gtest/gtest.h>

#include "doubles/fake_workspace.h"
#include "doubles/memory_pasteboard.h"
#include "platform/core/executor.h"
#include "platform/core/notification_center.h"

namespace {

using platform::rx::Unit;

class SystemEventPublishers : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::setMainExecutorForTesting(&main);
    platform::Workspace::setSharedForTesting(&workspace);
  }
  void TearDown() override {
    main.runUntilIdle();
    platform::Workspace::setSharedForTesting(nullptr);
    platform::setMainExecutorForTesting(nullptr);
  }
  platform::ManualExecutor main;
  platform::FakeWorkspace workspace;
};

TEST_F(SystemEventPublishers, EverySubscriberHearsEveryApplicationEventAndNothingAfterCancelling) {
  int first = 0, second = 0;
  auto a = kit::applicationEventsPublisher().sink([&](const Unit&) { ++first; });
  auto b = kit::applicationEventsPublisher().sink([&](const Unit&) { ++second; });
  workspace.send(platform::ApplicationEvent::hide);
  workspace.send(platform::ApplicationEvent::unhide);
  EXPECT_EQ(first, 2);
  EXPECT_EQ(second, 2);
  a.cancel();
  workspace.send(platform::ApplicationEvent::activate);
  EXPECT_EQ(first, 2);
  EXPECT_EQ(second, 3);
}

TEST_F(SystemEventPublishers, PreferenceChangesAndPasteboardCountsArePublished) {
  int changes = 0;
  auto preferences = kit::userDefaultsDidChangePublisher().sink([&](const Unit&) { ++changes; });
  platform::NotificationCenter::defaultCenter().post({"NSUserDefaultsDidChangeNotification", {}});
  platform::NotificationCenter::defaultCenter().post({"SomethingElse", {}});
  EXPECT_EQ(changes, 1);

  auto pasteboard = std::make_unique<platform::MemoryPasteboard>();
  std::vector<int64_t> counts;
  auto sampler = kit::changeCountSampler<Unit>(pasteboard->weak());
  auto sink = pasteboard->changes().sink([&](const int64_t& c) { counts.push_back(c); });
  pasteboard->write({{"a", "1"}});
  pasteboard->write({{"a", "2"}});
  EXPECT_EQ(counts, (std::vector<int64_t>{1, 2}));
  EXPECT_EQ(sampler(Unit{}), 2);
  sink.cancel();
  pasteboard.reset();
  EXPECT_EQ(sampler(Unit{}), std::nullopt);
}

}  // namespace
