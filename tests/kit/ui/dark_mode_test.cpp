#include "kit/ui/dark_mode.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPalette>
#include <QTest>

#include "kit/ui/qr_code_view.h"
#include "platform/system/color_scheme.h"
#include "support/fake_desktop_portal.h"
#include "support/private_bus.h"

namespace kit {
namespace {

// The opaque colour the view draws its modules in.
QColor moduleColour(QRCodeView& view) {
  QImage image(view.size(), QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  view.render(&image, {}, {}, QWidget::DrawChildren);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (qAlpha(image.pixel(x, y)) == 255) return image.pixelColor(x, y);
  return {};
}

class DarkModeTest : public bustest::PrivateBusTest {
 protected:
  void TearDown() override {
    useDesktopColorScheme(nullptr);
    QApplication::setPalette(original_);
  }
  const QPalette original_ = QApplication::palette();
};

TEST_F(DarkModeTest, DynamicColoursFollowThePaletteDrawnWithWhateverTheDesktopSays) {
  bustest::FakeDesktopPortal portal(bus, 2);
  platform::DesktopColorScheme scheme(bus.connect("client"));
  useDesktopColorScheme(&scheme);
  std::vector<bool> changes;
  auto subscription = darkModeChanges().sink([&](bool isDark) { changes.push_back(isDark); });
  const DynamicColor accent([](bool isDark) { return isDark ? QColor(Qt::yellow) : QColor(Qt::blue); });
  QPalette dark = original_;
  dark.setColor(QPalette::Window, QColor(30, 30, 30));
  QPalette light = original_;
  light.setColor(QPalette::Window, QColor(0xef, 0xef, 0xef));

  // A light desktop, a window drawn dark.
  QRCodeView view("https://kestrova.com/quillet", QRCodeErrorCorrectionLevel::medium);
  view.resize(120, 120);
  view.setPalette(dark);
  EXPECT_FALSE(isDarkMode());
  EXPECT_EQ(moduleColour(view), QColor(Qt::white));
  EXPECT_EQ(accent.resolved(view.palette()), QColor(Qt::yellow));

  // A dark desktop, a window drawn light: the desktop's own look follows the scheme, the window's colours do not.
  portal.announce(1);
  ASSERT_TRUE(QTest::qWaitFor([] { return isDarkMode(); }));
  EXPECT_EQ(changes, std::vector<bool>{true});
  view.setPalette(light);
  EXPECT_EQ(moduleColour(view), QColor(Qt::black));
  EXPECT_EQ(accent.resolved(view.palette()), QColor(Qt::blue));

  // A desktop without a preference leaves its look to the application palette, whose changes count too.
  portal.announce(0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return changes.size() == 2; }));
  QApplication::setPalette(dark);
  EXPECT_TRUE(isDarkMode());
  EXPECT_EQ(changes, (std::vector<bool>{true, false, true}));
}

}  // namespace
}  // namespace kit
