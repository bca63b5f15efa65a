#include "platform/system/color_scheme.h"

#include <gtest/gtest.h>

#include "support/event_loop.h"
#include "support/fake_desktop_portal.h"
#include "support/private_bus.h"

namespace {

using platform::ColorScheme;

class DesktopColorSchemeTest : public bustest::PrivateBusTest {
 protected:
  static void SetUpTestSuite() { eventloop::ensureCoreApplication(); }
};

TEST_F(DesktopColorSchemeTest, WithoutAPortalItKnowsNoScheme) {
  EXPECT_EQ(platform::DesktopColorScheme(bus.connect("client")).current(), std::nullopt);
}

}  // namespace
