#include "kit/foundation/pasteboard_observable.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "doubles/fake_workspace.h"
#include "doubles/memory_pasteboard.h"

namespace {

using platform::rx::Unit;

class PasteboardObservable : public ::testing::Test {
 protected:
  void SetUp() override { platform::Workspace::setSharedForTesting(&workspace); }
  void TearDown() override { platform::Workspace::setSharedForTesting(nullptr); }
  void activate(int32_t pid) {
    workspace.frontmost = platform::RunningApplication{.pid = pid};
    workspace.send(platform::ApplicationEvent::activate);
  }
  platform::FakeWorkspace workspace;
  platform::MemoryPasteboard pasteboard;
};

TEST_F(PasteboardObservable, AnnouncesEveryChangeUntilReleased) {
  int announcements = 0;
  {
    kit::PasteboardSimpleObservable observable(pasteboard);
    auto c = observable.objectWillChange.publisher().sink([&](const Unit&) { ++announcements; });
    pasteboard.write({{"public.utf8-plain-text", "a"}});
    pasteboard.write({{"public.utf8-plain-text", "b"}});
    EXPECT_EQ(announcements, 2);
  }
  pasteboard.write({{"public.utf8-plain-text", "c"}});
  EXPECT_EQ(announcements, 2);
}

TEST_F(PasteboardObservable, WhileAnotherApplicationIsFrontmostChangesWaitForOurReturn) {
  kit::PasteboardSimpleObservable observable(pasteboard, true);
  int announcements = 0;
  auto c = observable.objectWillChange.publisher().sink([&](const Unit&) { ++announcements; });
  activate(getpid() + 1);
  pasteboard.write({{"public.utf8-plain-text", "a"}});
  pasteboard.write({{"public.utf8-plain-text", "b"}});
  EXPECT_EQ(announcements, 0);
  activate(getpid());
  EXPECT_EQ(announcements, 1) << "the missed changes are announced once";
  pasteboard.write({{"public.utf8-plain-text", "c"}});
  EXPECT_EQ(announcements, 2);
  workspace.send(platform::ApplicationEvent::activate);
  EXPECT_EQ(announcements, 2);
}

}  // namespace
