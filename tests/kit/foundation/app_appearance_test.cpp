#include "kit/foundation/app_appearance.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPalette>

#include "kit/foundation/json_coding.h"
#include "support/event_loop.h"
#include "support/fake_desktop_portal.h"
#include "support/private_bus.h"

namespace {

using kit::AppAppearance;

TEST(AppAppearance, RawValuesAreExactAndListedInOrder) {
  EXPECT_EQ(kit::appAppearance("dark"), AppAppearance::dark);
  for (std::string_view other : {"Dark", " dark", "dark ", ""}) EXPECT_FALSE(kit::appAppearance(other)) << other;
  std::vector<std::string> raw;
  for (AppAppearance appearance : kit::allAppAppearances) raw.push_back(kit::rawValue(appearance));
  EXPECT_EQ(raw, (std::vector<std::string>{"system", "light", "dark"}));

  // Ordered and coded by the raw value, inside other coded values too.
  EXPECT_TRUE(AppAppearance::dark < AppAppearance::system && AppAppearance::light > AppAppearance::dark);
  const std::vector<AppAppearance> list{AppAppearance::dark, AppAppearance::system};
  EXPECT_EQ(kit::jsonText(kit::encodeJson(list)), R"(["dark","system"])");
  EXPECT_EQ(kit::decodedJson<std::vector<AppAppearance>>(R"(["dark","system"])"), list);
  EXPECT_EQ(kit::decodedJson<AppAppearance>(R"("Dark")"), std::nullopt);
}

class EffectiveAppearance : public bustest::PrivateBusTest {
 protected:
  static void SetUpTestSuite() { eventloop::ensureGuiApplication(); }
};

TEST_F(EffectiveAppearance, TheSystemSettingFollowsTheDesktopsSchemeElseThePalette) {
  {
    bustest::FakeDesktopPortal portal(bus, 1);
    platform::DesktopColorScheme desktop(bus.connect("client"));
    EXPECT_EQ(kit::effectiveAppearance(AppAppearance::system, desktop), AppAppearance::dark);
    EXPECT_EQ(kit::effectiveAppearance(AppAppearance::light, desktop), AppAppearance::light);
    portal.announce(2);
    ASSERT_TRUE(eventloop::processEventsUntil([&] { return desktop.current() == platform::ColorScheme::light; }));
    EXPECT_EQ(kit::effectiveAppearance(AppAppearance::system, desktop), AppAppearance::light);
  }
  QDBusConnection::disconnectFromBus("client");

  // No portal, or one without a preference: the palette decides.
  bustest::FakeDesktopPortal indifferent(bus, 0);
  platform::DesktopColorScheme desktop(bus.connect("client"));
  const QPalette original = QGuiApplication::palette();
  QPalette dark = original;
  dark.setColor(QPalette::Window, QColor(30, 30, 30));
  QGuiApplication::setPalette(dark);
  EXPECT_EQ(kit::effectiveAppearance(AppAppearance::system, desktop), AppAppearance::dark);
  EXPECT_EQ(kit::effectiveAppearance(AppAppearance::light, desktop), AppAppearance::light);
  QPalette light = original;
  light.setColor(QPalette::Window, QColor(240, 240, 240));
  QGuiApplication::setPalette(light);
  EXPECT_EQ(kit::effectiveAppearance(AppAppearance::system, desktop), AppAppearance::light);
  QGuiApplication::setPalette(original);
}

}  // namespace
