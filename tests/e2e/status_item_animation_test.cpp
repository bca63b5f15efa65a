// The status item's shake and the tooltip that follows it, in a real embedding tray (trayer) on a private X server.
// The frames of the shake and the tooltip before and after the tray's panel moved go to tray-screenshots/ beside
// the test programs.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QSystemTrayIcon>
#include <filesystem>
#include <memory>
#include <sstream>

#include "e2e/x11_session_support.h"
#include "kit/ui/status_item_shake.h"
#include "kit/ui/tooltip.h"
#include "kit/ui/window_presentation.h"

namespace kit {
namespace {

using namespace std::chrono_literals;

std::string screenshotPath(const std::string& name) {
  const std::filesystem::path folder = std::filesystem::path(QUILLET_BIN_DIR) / ".." / "tray-screenshots";
  std::filesystem::create_directories(folder);
  return (folder / name).string();
}

QImage grabScreen(const QRect& area) {
  return QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(), area.height()).toImage();
}

// The first row of the image with a strongly red pixel: where the icon's square begins.
int firstRedRow(const QImage& image) {
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QColor pixel = image.pixelColor(x, y);
      if (pixel.red() > 200 && pixel.green() < 80 && pixel.blue() < 80) return y;
    }
  return -1;
}

class StatusItemAnimationTest : public x11test::SessionTest {
 protected:
  static void SetUpTestSuite() {
    SessionTest::SetUpTestSuite();
    tray = x11test::startEmbeddingTray();
    ASSERT_TRUE(x11test::processEventsUntil([] { return QSystemTrayIcon::isSystemTrayAvailable(); }, 10s));
  }
  static void TearDownTestSuite() { tray.reset(); }

  void SetUp() override {
    setPrefersReducedMotionForTesting(false);
    QPixmap square(22, 22);
    square.fill(Qt::transparent);
    QPainter(&square).fillRect(QRect(4, 6, 14, 10), Qt::red);
    item = std::make_unique<QSystemTrayIcon>(QIcon(square));
    item->show();
    ASSERT_TRUE(x11test::processEventsUntil([this] { return !item->geometry().isEmpty(); }, 10s));
    x11test::processEventsFor(300ms);
  }
  void TearDown() override {
    item.reset();
    setPrefersReducedMotionForTesting(std::nullopt);
  }

  static inline std::unique_ptr<x11test::ChildProcess> tray;
  std::unique_ptr<QSystemTrayIcon> item;
};

TEST_F(StatusItemAnimationTest, TheShakeIsDrawnByTheTrayAndEndsWithTheIconInPlace) {
  const QRect area = item->geometry().adjusted(-4, -4, 4, 4);
  const int resting = firstRedRow(grabScreen(area));
  ASSERT_GE(resting, 0);

  // Slowed down, so that each frame is on screen long enough to be looked at.
  shakeStatusItem(*item, 2000ms, ShakeAxis::vertical, 2);
  std::vector<int> shifts;
  qint64 frame = 0;
  int frames = 0;
  x11test::processEventsUntil(
      [&] {
        if (item->icon().cacheKey() == frame) return false;
        frame = item->icon().cacheKey();
        x11test::processEventsFor(150ms);  // the tray draws it
        const QImage shown = grabScreen(area);
        shown.save(QString::fromStdString(screenshotPath("shake-frame-" + std::to_string(frames++) + ".png")));
        shifts.push_back(firstRedRow(shown) - resting);
        return frames == 5;
      },
      10s);
  std::ostringstream seen;
  for (int shift : shifts) seen << shift << ' ';
  EXPECT_EQ(shifts, (std::vector<int>{-2, 2, -1, 1, 0})) << seen.str();
}

TEST_F(StatusItemAnimationTest, TheTooltipFollowsTheItemWhenTheTraysPanelMoves) {
  Tooltip tip("followInTray", "Hello, I'm here", {.closeOnClick = true, .contentInsets = QMargins(12, 8, 12, 8)});
  ASSERT_TRUE(tip.showUnderStatusItem(*item));
  auto underItem = [&] {
    const QRect icon = item->geometry();
    return tip.y() > icon.bottom() && tip.y() < icon.bottom() + 12;
  };
  auto pointsAtItem = [&] {
    return underItem() && std::abs(tip.geometry().center().x() - item->geometry().center().x()) <= 2;
  };
  // At the screen's right edge it is kept on screen, under the item.
  EXPECT_TRUE(x11test::processEventsUntil(underItem, 5s));
  EXPECT_LE(tip.geometry().left(), item->geometry().center().x());
  x11test::processEventsFor(300ms);
  x11test::run({"import", "-window", "root", screenshotPath("tooltip-before-move.png")});

  const std::string panel = x11test::run({"xdotool", "search", "--onlyvisible", "--pid", std::to_string(tray->pid())});
  ASSERT_FALSE(panel.empty());
  x11test::run({"xdotool", "windowmove", panel.substr(0, panel.find('\n')), "300", "400"});
  EXPECT_TRUE(x11test::processEventsUntil([&] { return item->geometry().top() > 300; }, 5s));
  EXPECT_TRUE(x11test::processEventsUntil(pointsAtItem, 5s));
  x11test::processEventsFor(300ms);
  x11test::run({"import", "-window", "root", screenshotPath("tooltip-after-move.png")});
  x11test::run({"xdotool", "windowmove", panel.substr(0, panel.find('\n')), "1160", "0"});
}

}  // namespace
}  // namespace kit
