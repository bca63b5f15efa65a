#include "kit/app/debugging_aids.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLoggingCategory>
#include <QVBoxLayout>

#include "kit/preferences/key.h"
#include "support/offscreen_application.h"

namespace kit::DebuggingAids {
namespace {

class DebuggingAidsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ensureOffscreenApplication();
    Preferences::removeAll();
  }
  platform::UserDefaults& suite = platform::UserDefaults::standard();
};

TEST_F(DebuggingAidsTest, LoggedEventsAndHighlightedDrawingTurnOnQtsCategoriesAtStart) {
  EXPECT_TRUE(loggingRules(suite).isEmpty());
  suite.set(showAllDrawingKey, "no");
  EXPECT_TRUE(loggingRules(suite).isEmpty());

  suite.set(logEventsKey, true);
  suite.set(showAllDrawingKey, "200");
  applyAtStart(suite);
  EXPECT_TRUE(QLoggingCategory("qt.qpa.events").isDebugEnabled());
  EXPECT_TRUE(QLoggingCategory("qt.qpa.input.events").isDebugEnabled());
  EXPECT_TRUE(QLoggingCategory("qt.widgets.painting").isDebugEnabled());
  EXPECT_FALSE(QLoggingCategory("qt.qpa.xcb").isDebugEnabled()) << "nothing else";
  EXPECT_EQ(qobject_cast<OutlinedWidgetsStyle*>(QApplication::style()), nullptr) << "outlines were not asked for";
}

TEST_F(DebuggingAidsTest, OutlinesAreDrawnAroundEveryWidgetOverItsOwnPainting) {
  suite.set(drawOutlinesKey, true);
  applyAtStart(suite);
  ASSERT_NE(qobject_cast<OutlinedWidgetsStyle*>(QApplication::style()), nullptr);

  QWidget window;
  auto* layout = new QVBoxLayout(&window);
  layout->setContentsMargins(20, 20, 20, 20);
  auto* label = new QLabel("Outlined");
  label->setAutoFillBackground(true);  // paints its whole area, outline corners included
  layout->addWidget(label);
  window.resize(200, 100);
  window.show();
  const QImage image = window.grab().toImage();
  auto isOutline = [](QColor colour) {
    return colour.red() > colour.green() + 60 && colour.red() > colour.blue() + 60;
  };
  EXPECT_TRUE(isOutline(image.pixelColor(label->geometry().topLeft())));
  EXPECT_TRUE(isOutline(image.pixelColor(0, 50))) << "the window's own edge";
  EXPECT_FALSE(isOutline(image.pixelColor(10, 50))) << "between them";
  EXPECT_FALSE(isOutline(image.pixelColor(label->geometry().center() + QPoint(0, 8))));
}

}  // namespace
}  // namespace kit::DebuggingAids
