#include "kit/app/zv_kit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kit/app/launch_history.h"
#include "kit/app/relaunch.h"
#include "launch_test_support.h"
#include "platform/core/executor.h"

namespace {

namespace History = kit::LaunchHistory;

// The kit's start-up: what it stores at once and what it queues, in which order.
class KitStartUpTest : public LaunchHistoryTest {
 protected:
  std::vector<std::string> startKit(uint64_t modifierFlags) {
    std::vector<std::string> order;
    auto& hooks = kit::kitLaunchHooks();
    hooks.showUserDebugWindow = [&] { order.push_back("debug window"); };
    hooks.offerDataResetAtLaunch = [&] { order.push_back("reset prompt"); };
    hooks.addDebugMenuIfNeeded = [&] { order.push_back("debug menu"); };
    kit::finishLaunchingHandlers() = {[&] { order.push_back("handler"); }};
    platform::ManualExecutor mainQueue;
    kit::ZvKit kit({*suite_, modifierFlags, mainQueue, [&] { order.push_back("facts"); }});
    mainQueue.runUntilIdle();
    hooks = {};
    kit::finishLaunchingHandlers().clear();
    return order;
  }
};

TEST_F(KitStartUpTest, TakesFactsThenRunsQueuedWorkInOrder) {
  using Strings = std::vector<std::string>;
  EXPECT_EQ(startKit(0), (Strings{"facts", "reset prompt", "handler", "debug menu"}));
  // Shift + Super + Alt, with Caps Lock and the numeric pad ignored.
  EXPECT_EQ(startKit(kit::LaunchChord::userDebugWindow | 0x10000 | 0x200000),
            (Strings{"facts", "debug window", "reset prompt", "handler", "debug menu"}));
  // One more modifier and the chord no longer holds.
  EXPECT_EQ(startKit(kit::LaunchChord::dataReset), (Strings{"facts", "reset prompt", "handler", "debug menu"}));
}

TEST_F(KitStartUpTest, SettingsOpenOnceAfterARelaunchThatAskedForThem) {
  int opened = 0;
  kit::setOpenSettingsHandler([&] { ++opened; });
  suite_->set(History::showsSettingsAfterRelaunchKey(*suite_).name(), platform::PlistValue(true));
  relaunch();
  startKit(0);
  EXPECT_EQ(opened, 1);
  relaunch();
  startKit(0);
  EXPECT_EQ(opened, 1);
  kit::setOpenSettingsHandler(nullptr);
}

TEST(LaunchChordTest, ComparesTheHeldModifiersExactly) {
  EXPECT_TRUE(kit::LaunchChord::isHeld(kit::LaunchChord::debugMenu, 0x60000 | 0x800000 | 0x1234));
  EXPECT_FALSE(kit::LaunchChord::isHeld(kit::LaunchChord::debugMenu, 0xe0000));
  EXPECT_FALSE(kit::LaunchChord::isHeld(kit::LaunchChord::userDebugWindow, 0xa0000));  // Shift + Alt only
}

TEST(KitMetadataTest, TheProductsRecordIsMadeOnceWithItsSecurePageAndNoStore) {
  const auto& metadata = kit::ZvKit::Metadata::current();
  EXPECT_EQ(&metadata, &kit::ZvKit::Metadata::current());
  EXPECT_EQ(metadata.website.scheme(), "https");
  EXPECT_TRUE(metadata.website.path().ends_with("/quillet")) << metadata.website.absoluteString();
  EXPECT_EQ(metadata.appStoreId, std::nullopt);
}

}  // namespace
