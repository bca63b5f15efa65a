#include "platform/system/desktop_settings.h"

#include <gtest/gtest.h>

#include "support/event_loop.h"
#include "support/fake_desktop_portal.h"
#include "support/private_bus.h"

namespace {

class DesktopSettingsTest : public bustest::PrivateBusTest {
 protected:
  static void SetUpTestSuite() { eventloop::ensureCoreApplication(); }
  std::optional<QVariant> read(const QString& group, const QString& key) {
    QDBusConnection client = bus.connect("client");
    return platform::readDesktopSetting(client, group, key, 1000);
  }
};

TEST_F(DesktopSettingsTest, ASettingComesUnwrappedFromNewAndOlderPortalsAndAnUnknownOneIsNone) {
  EXPECT_EQ(read("org.freedesktop.appearance", "color-scheme"), std::nullopt) << "no portal on the bus";
  {
    bustest::FakeDesktopPortal portal(bus, 2);
    EXPECT_EQ(read("org.freedesktop.appearance", "color-scheme"), QVariant::fromValue(2u));
    EXPECT_EQ(read("org.gnome.desktop.interface", "enable-animations"), std::nullopt);
  }
  bustest::FakeDesktopPortal older(bus, 1, true);
  EXPECT_EQ(read("org.freedesktop.appearance", "color-scheme"), QVariant::fromValue(1u));
}

}  // namespace
