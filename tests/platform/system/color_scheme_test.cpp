#include "platform/system/color_scheme.h"

#include <gtest/gtest.h>

#include "support/event_loop.h"
#include "support/fake_desktop_portal.h"
#include "support/private_bus.h"

namespace {

using platform::ColorScheme;

class DesktopColorSchemeTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { eventloop::ensureCoreApplication(); }
  void TearDown() override { QDBusConnection::disconnectFromBus("client"); }
  bustest::PrivateBus bus;
};

TEST_F(DesktopColorSchemeTest, ReadsThePortalsSchemeAndFollowsItsChanges) {
  bustest::FakeDesktopPortal portal(bus, 1);
  platform::DesktopColorScheme scheme(bus.connect("client"));
  EXPECT_EQ(scheme.current(), ColorScheme::dark);
  std::vector<ColorScheme> changes;
  auto c = scheme.changes().sink([&](const ColorScheme& s) { changes.push_back(s); });
  portal.announce(2);
  ASSERT_TRUE(eventloop::processEventsUntil([&] { return !changes.empty(); }));
  EXPECT_EQ(changes, std::vector<ColorScheme>{ColorScheme::light});
  EXPECT_EQ(scheme.current(), ColorScheme::light);
}

TEST_F(DesktopColorSchemeTest, AnOlderPortalAnswersThroughReadWithTheValueWrappedTwice) {
  bustest::FakeDesktopPortal portal(bus, 1, true);
  EXPECT_EQ(platform::DesktopColorScheme(bus.connect("client")).current(), ColorScheme::dark);
}

TEST_F(DesktopColorSchemeTest, WithoutAPortalItKnowsNoScheme) {
  EXPECT_EQ(platform::DesktopColorScheme(bus.connect("client")).current(), std::nullopt);
}

}  // namespace
