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

TEST_F(DarkModeTest, ThePortalsSchemeRecoloursTheQRCodeAndDynamicColours) {
  bustest::FakeDesktopPortal portal(bus, 2);
  platform::DesktopColorScheme scheme(bus.connect("client"));
  useDesktopColorScheme(&scheme);
  std::vector<bool> changes;
  auto subscription = darkModeChanges().sink([&](bool isDark) { changes.push_back(isDark); });
  const DynamicColor accent([](bool isDark) { return isDark ? QColor(Qt::yellow) : QColor(Qt::blue); });

  QRCodeView view("https://kestrova.com/quillet", QRCodeErrorCorrectionLevel::medium);
  view.resize(120, 120);
  EXPECT_FALSE(isDarkMode());
  EXPECT_EQ(moduleColour(view), QColor(Qt::black));
  EXPECT_EQ(accent.resolved(), QColor(Qt::blue));

  portal.announce(1);
  ASSERT_TRUE(QTest::qWaitFor([] { return isDarkMode(); }));
  EXPECT_EQ(moduleColour(view), QColor(Qt::white));
  EXPECT_EQ(accent.resolved(), QColor(Qt::yellow));
  EXPECT_EQ(changes, std::vector<bool>{true});

  // A desktop without a preference leaves it to the palette, whose changes count too.
  portal.announce(0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return changes.size() == 2; }));
  QPalette dark = original_;
  dark.setColor(QPalette::Window, QColor(30, 30, 30));
  QApplication::setPalette(dark);
  EXPECT_TRUE(isDarkMode());
  EXPECT_EQ(changes, (std::vector<bool>{true, false, true}));
}

}  // namespace
}  // namespace kit
