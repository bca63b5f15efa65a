#include "kit/ui/dock_progress.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QGuiApplication>
#include <QPainter>
#include <QTest>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <limits>

#include "kit/foundation/attributed_text.h"
#include "kit/ui/path_shapes.h"
#include "platform/system/launcher_entry.h"
#include "support/private_bus.h"

namespace kit {
namespace {

// Records the launcher-entry updates on the bus, as a dock does.
class LauncherEntryListener : public QObject {
  Q_OBJECT

 public:
  explicit LauncherEntryListener(QDBusConnection bus) : bus_(std::move(bus)) {
    bus_.connect({}, {}, "com.canonical.Unity.LauncherEntry", "Update", this, SLOT(update(QString, QVariantMap)));
  }
  struct Update {
    QString uri;
    double progress;
    bool visible;
  };
  std::vector<Update> updates;

  // Waits for the signals sent so far on `sender`: the daemon answers each connection in order, after routing
  // what came before.
  void settle(QDBusConnection sender) {
    sender.interface()->isServiceRegistered("org.freedesktop.DBus");
    bus_.interface()->isServiceRegistered("org.freedesktop.DBus");
    QTest::qWait(20);
  }

 public Q_SLOTS:
  void update(const QString& uri, const QVariantMap& properties) {
    updates.push_back({uri, properties.value("progress").toDouble(), properties.value("progress-visible").toBool()});
  }

 private:
  QDBusConnection bus_;
};

class DockProgressTest : public bustest::PrivateBusTest {
 protected:
  void SetUp() override {
    QGuiApplication::setDesktopFileName("com.kestrova.Quillet");
    entry_.emplace(bus.connect("sender"), "com.kestrova.Quillet");
    DockProgress::setLauncherEntry(&*entry_);
    listener.emplace(bus.connect("listener"));
  }
  void TearDown() override {
    DockProgress::setTrackedProgress(nullptr);
    DockProgress::setStyle(DockProgress::Bar{});
    DockProgress::setLauncherEntry(nullptr);
    listener.reset();
    entry_.reset();
  }
  std::vector<std::pair<double, bool>> shown() {
    listener->settle(bus.connect("sender"));
    std::vector<std::pair<double, bool>> result;
    for (const auto& update : listener->updates) result.emplace_back(update.progress, update.visible);
    listener->updates.clear();
    return result;
  }

  std::optional<platform::LauncherEntry> entry_;
  std::optional<LauncherEntryListener> listener;
};

using Shown = std::vector<std::pair<double, bool>>;

TEST_F(DockProgressTest, DocksAreToldOfTheProgressWhenItMovesMoreThanAHundredth) {
  DockProgress::reset();
  shown();
  const QImage plain = DockProgress::tileImage();

  DockProgress::setProgress(0.5);
  listener->settle(bus.connect("sender"));
  ASSERT_EQ(listener->updates.size(), 1u);
  EXPECT_EQ(listener->updates[0].uri, "application://com.kestrova.Quillet.desktop");
  EXPECT_EQ(shown(), (Shown{{0.5, true}}));
  EXPECT_NE(DockProgress::tileImage(), plain) << "the icon carries the bar";

  DockProgress::setProgress(0.505);
  DockProgress::setStyle(DockProgress::Pie{Qt::blue});
  EXPECT_EQ(shown(), Shown{}) << "a small step and a new style draw nothing";
  EXPECT_EQ(DockProgress::progress(), 0.505);
  DockProgress::setProgress(0.52);
  EXPECT_EQ(shown(), (Shown{{0.52, true}}));

  DockProgress::setProgress(1);
  EXPECT_EQ(shown(), (Shown{{0, false}}));
  EXPECT_EQ(DockProgress::tileImage(), plain);
  DockProgress::reset();
  EXPECT_EQ(shown(), (Shown{{0, false}, {0, false}}));
  DockProgress::setProgress(0.001);
  EXPECT_EQ(shown(), (Shown{{0.001, true}})) << "from nothing drawn, any value draws";
}

TEST_F(DockProgressTest, FollowsATrackedTaskUntilItFinishesOrIsCancelled) {
  DockProgress::reset();
  {
    TaskProgress task(4);
    DockProgress::setTrackedProgress(&task);
    // Reported from a worker thread, drawn on the main thread.
    QThread* worker = QThread::create([&task] { task.setCompletedUnitCount(2); });
    worker->start();
    worker->wait();
    delete worker;
    EXPECT_TRUE(QTest::qWaitFor([] { return DockProgress::progress() == 0.5; }));
    task.setCompletedUnitCount(4);
    QTest::qWait(20);
    EXPECT_EQ(DockProgress::progress(), 1.0);

    TaskProgress cancelled(10);
    DockProgress::setTrackedProgress(&cancelled);
    cancelled.setCompletedUnitCount(3);
    QTest::qWait(20);
    EXPECT_EQ(DockProgress::progress(), 0.3);
    cancelled.cancel();
    cancelled.setCompletedUnitCount(10);
    QTest::qWait(20);
    EXPECT_EQ(DockProgress::progress(), 0.3);
  }
  EXPECT_EQ(DockProgress::trackedProgress(), nullptr) << "held weakly";
  DockProgress::setProgress(0.4);
  DockProgress::setTrackedProgress(nullptr);
  EXPECT_EQ(DockProgress::progress(), 0);
  EXPECT_EQ(DockProgress::lastDrawnProgress(), 0);
}

TEST_F(DockProgressTest, EveryStyleDrawsOverTheIconWhileUnderWay) {
  DockProgress::reset();
  const QImage plain = DockProgress::tileImage();
  int customCalls = 0;
  const std::vector<DockProgress::Style> styles = {
      DockProgress::Squircle{std::nullopt, Qt::red}, DockProgress::Circle{40, Qt::red},
      DockProgress::Badge{Qt::red, [] { return int64_t{1500}; }}, DockProgress::Pie{Qt::red},
      DockProgress::Custom{[&](QPainter&, const QRectF& rect) { customCalls += rect.width() == 128; }}};
  for (const auto& style : styles) {
    DockProgress::reset();
    DockProgress::setStyle(style);
    DockProgress::setProgress(0.6);
    if (!std::holds_alternative<DockProgress::Custom>(style)) {
      EXPECT_NE(DockProgress::tileImage(), plain);
    }
  }
  EXPECT_EQ(customCalls, 1);
}

// The badge's face and the colour of its count.
const QColor badgeFace = QColor::fromRgbF(0.94, 0.96, 1.0);
const QColor badgeInk = QColor::fromRgbF(0.23, 0.23, 0.24);

// How much of the count's colour lies within `radius` of `centre`: each pixel counts by how far it has gone from
// the face towards that colour, so the sum is the area the glyphs cover, wherever they fall between pixels.
double inkAround(const QImage& image, QPointF centre, double radius) {
  const double face = qGray(badgeFace.rgb());
  const double ink = qGray(badgeInk.rgb());
  double covered = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (QLineF(centre, QPointF(x + 0.5, y + 0.5)).length() < radius)
        covered += std::clamp((face - qGray(image.pixel(x, y))) / (face - ink), 0.0, 1.0);
  return covered;
}

// The ink of `text` written in `font` on the badge's face.
double inkOf(const QString& text, const QFont& font) {
  QImage image(64, 64, QImage::Format_ARGB32_Premultiplied);
  image.fill(badgeFace);
  QPainter painter(&image);
  painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
  painter.setFont(font);
  painter.setPen(badgeInk);
  painter.drawText(QRectF(image.rect()), Qt::AlignCenter, text);
  painter.end();
  return inkAround(image, QPointF(32, 32), 32);
}

TEST_F(DockProgressTest, TheBadgeWritesItsCountInTheBoldHeadlineFont) {
  DockProgress::reset();
  DockProgress::setStyle(DockProgress::Badge{Qt::red, [] { return int64_t{8}; }});
  DockProgress::setProgress(0.001);  // the ring is barely begun and leaves the face clear
  const QImage tile = DockProgress::tileImage().convertToFormat(QImage::Format_ARGB32);

  // The badge is the disc of the face's colour in the lower right quarter.
  QRect face;
  for (int y = tile.height() / 2; y < tile.height(); ++y)
    for (int x = tile.width() / 2; x < tile.width(); ++x)
      if (tile.pixel(x, y) == badgeFace.rgb()) face |= QRect(x, y, 1, 1);
  ASSERT_GT(face.width(), 30);
  // Inside the ring that will run around its edge.
  const double drawn = inkAround(tile, QRectF(face).center(), face.width() / 2.0 - 7);

  const platform::FontSpec& headline = headlineBoldFont();
  QFont bold(QString::fromStdString(headline.family));
  bold.setWeight(static_cast<QFont::Weight>(headline.weight));
  bold.setPixelSize(30);
  QFont regular = bold;
  regular.setWeight(QFont::Normal);
  QFont smaller = bold;
  smaller.setPixelSize(23);
  const double expected = inkOf("8", bold);
  ASSERT_GT(std::abs(inkOf("8", regular) - expected), 0.2 * expected) << "the weight shows in the ink";
  ASSERT_GT(std::abs(inkOf("8", smaller) - expected), 0.2 * expected) << "the size shows in the ink";
  EXPECT_NEAR(drawn, expected, 0.03 * expected);
}

TEST_F(DockProgressTest, TheApplicationsEntryIsNamedByItsDesktopFileNameOfTheMoment) {
  platform::LauncherEntry own(bus.connect("sender"));
  DockProgress::setLauncherEntry(&own);
  // Without a desktop file name nothing is sent: no dock could tell whose progress it is.
  QGuiApplication::setDesktopFileName({});
  DockProgress::setProgress(0.5);
  EXPECT_FALSE(own.setProgress(0.5));
  EXPECT_TRUE(shown().empty());

  // A name given later is the one used.
  QGuiApplication::setDesktopFileName("org.example.Later");
  DockProgress::setProgress(0.7);
  listener->settle(bus.connect("sender"));
  ASSERT_EQ(listener->updates.size(), 1u);
  EXPECT_EQ(listener->updates[0].uri, "application://org.example.Later.desktop");
  EXPECT_DOUBLE_EQ(listener->updates[0].progress, 0.7);
  DockProgress::setLauncherEntry(&*entry_);
}

TEST(PathShapes, ASquircleRunsCounterClockwiseFromItsLowerEdgeWithCornersCurvedAtTheRadius) {
  const QPainterPath path = squircle(QRectF(10, 20, 100, 60), 20);
  ASSERT_EQ(path.elementCount(), 1 + 4 * (1 + 3));
  // Along the lower edge, then the corner with both control points at it, then up the right edge.
  const std::vector<QPointF> start = {{30, 80}, {90, 80}, {110, 80}, {110, 80}, {110, 60}, {110, 40}};
  for (size_t index = 0; index < start.size(); ++index) EXPECT_EQ(QPointF(path.elementAt(index)), start[index]);
  EXPECT_EQ(QPointF(path.elementAt(path.elementCount() - 1)), QPointF(30, 80)) << "back at the start, not closed";
  // The radius is at most half the shorter side.
  EXPECT_EQ(squircle(QRectF(0, 0, 100, 60), 50).elementAt(0).x, 30);
}

TEST(PathShapes, ACircleIsOneTurnCounterClockwiseFromItsTop) {
  const QPainterPath path = circle(10);
  auto near = [](QPointF a, QPointF b) { return QLineF(a, b).length() < 0.01; };
  EXPECT_TRUE(near(path.pointAtPercent(0), QPointF(0, -10)));
  EXPECT_TRUE(near(path.pointAtPercent(0.25), QPointF(-10, 0))) << "to the left first, as seen";
  EXPECT_NEAR(path.length(), 2 * M_PI * 10, 0.2) << "one turn";
}

TEST(BadgeText, NeverLongerThanFourCharacters) {
  const std::vector<std::pair<int64_t, std::string>> cases = {
      {0, "0"},       {999, "999"},     {1000, "1k"},
      {9999, "9k"},   {10000, "9k+"},   {-1500, "-1k"},
      {-2500, "-2k"}, {-12000, "-9k+"}, {std::numeric_limits<int64_t>::min(), "-9k+"}};
  for (const auto& [value, text] : cases) EXPECT_EQ(badgeText(value), text) << value;
}

}  // namespace
}  // namespace kit

#include "dock_progress_test.moc"
