#include "kit/ui/symbol_icons.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPalette>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTranslator>

#include "kit/foundation/text_from_key.h"
#include "kit/ui/settings_tab_kind.h"
#include "kit/ui/share_menu.h"

namespace kit {
namespace {

// The share of the image's opaque pixels that are light.
double lightInkShare(const QImage& image) {
  int opaque = 0, light = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor pixel = image.pixelColor(x, y);
      if (pixel.alpha() < 200) continue;
      ++opaque;
      if (pixel.lightness() > 200) ++light;
    }
  }
  return opaque == 0 ? 0 : static_cast<double>(light) / opaque;
}

class SymbolIconsTest : public ::testing::Test {
 protected:
  void TearDown() override { QApplication::setPalette(original_); }
  static void switchToDarkPalette() {
    QPalette dark = QApplication::palette();
    dark.setColor(QPalette::Window, QColor(40, 40, 40));
    dark.setColor(QPalette::Button, QColor(50, 50, 50));
    dark.setColor(QPalette::WindowText, QColor(235, 235, 235));
    dark.setColor(QPalette::ButtonText, QColor(235, 235, 235));
    QApplication::setPalette(dark);
  }

 private:
  const QPalette original_ = QApplication::palette();
};

TEST_F(SymbolIconsTest, IconsMadeBeforeAPaletteSwitchAreDrawnInTheNewColours) {
  QPalette light = QApplication::palette();
  light.setColor(QPalette::WindowText, Qt::black);
  QApplication::setPalette(light);
  const QIcon plus = symbolIcon("plus");
  EXPECT_EQ(lightInkShare(plus.pixmap(24).toImage()), 0);

  switchToDarkPalette();
  EXPECT_GT(lightInkShare(plus.pixmap(24).toImage()), 0.9);
  // A disabled symbol takes the palette's disabled text colour.
  QPalette dimmed = QApplication::palette();
  dimmed.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0, 0, 255));
  QApplication::setPalette(dimmed);
  const QImage disabled = plus.pixmap(QSize(24, 24), QIcon::Disabled).toImage();
  EXPECT_EQ(disabled.pixelColor(12, 12).blue(), 255);
  EXPECT_EQ(symbolIcon("no.such.symbol").isNull(), true);
}

TEST_F(SymbolIconsTest, TabsButtonsAndSymbolViewsFollowAPaletteSwitch) {
  QWidget window;
  window.resize(300, 120);
  auto* tabs = new QTabWidget(&window);
  tabs->addTab(new QWidget, symbolIcon("gearshape"), QString());
  tabs->setGeometry(0, 0, 120, 80);
  ShareButton share(&window);
  share.move(130, 0);
  auto* info = new SymbolView("info.circle.fill", 24, &window);
  info->move(250, 0);
  window.show();

  auto inkOf = [](QWidget& widget, const QRect& area) { return lightInkShare(widget.grab(area).toImage()); };
  const QRect shareIcon(share.rect().center().x() - share.width() / 2 + 4, 0, share.iconSize().width() + 8,
                        share.height());
  const double tabInkBefore = inkOf(*tabs->tabBar(), tabs->tabBar()->tabRect(0));
  const double shareInkBefore = inkOf(share, shareIcon);
  switchToDarkPalette();
  EXPECT_GT(inkOf(*tabs->tabBar(), tabs->tabBar()->tabRect(0)), tabInkBefore + 0.05);
  EXPECT_GT(inkOf(share, shareIcon), shareInkBefore + 0.05);
  EXPECT_GT(inkOf(*info, info->rect()), 0.5);
}

// Translates the kit's texts as a catalogue installed in the application would.
class KitCatalogue final : public QTranslator {
 public:
  QString translate(const char* context, const char* sourceText, const char*, int) const override {
    if (QLatin1String(context) == QLatin1String(Text::translationContext) && QLatin1String(sourceText) == "Calendars")
      return QStringLiteral("Kalender");
    return {};
  }
  bool isEmpty() const override { return false; }
};

TEST_F(SymbolIconsTest, EveryKindOfSettingsTabHasADrawnIconUnderAnyThemeAndATranslatedTitle) {
  const QString theme = QIcon::themeName();
  QIcon::setThemeName(QStringLiteral("no-such-theme"));
  for (int value = 0; value < settingsTabKindCount; ++value) {
    const auto kind = static_cast<SettingsTabKind>(value);
    const QImage drawn = label(kind).icon.pixmap(24).toImage();
    int opaque = 0;
    for (int y = 0; y < drawn.height(); ++y)
      for (int x = 0; x < drawn.width(); ++x) opaque += drawn.pixelColor(x, y).alpha() > 200;
    EXPECT_GT(opaque, 20) << settingsTabLabel(kind).symbolName;
  }
  QIcon::setThemeName(theme);

  KitCatalogue catalogue;
  QCoreApplication::installTranslator(&catalogue);
  EXPECT_EQ(label(SettingsTabKind::calendars).title, "Kalender");
  EXPECT_EQ(label(SettingsTabKind::general).title, "General") << "without a translation, the key itself";
  QCoreApplication::removeTranslator(&catalogue);
  EXPECT_EQ(label(SettingsTabKind::calendars).title, "Calendars");
}

}  // namespace
}  // namespace kit
