#include "kit/ui/view_building_blocks.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>
#include <string>
#include <vector>

#include "support/filled_widget.h"

namespace kit {
namespace {

TEST(ListEditingTest, MovesRemovesAndInsertsRowsInOneEdit) {
  std::vector<std::string> rows{"a", "b", "c", "d", "e"};
  moveElements(rows, {0, 2}, 4);
  EXPECT_EQ(rows, (std::vector<std::string>{"b", "d", "a", "c", "e"}));
  moveElements(rows, {4}, 0);
  EXPECT_EQ(rows, (std::vector<std::string>{"e", "b", "d", "a", "c"}));
  removeElements(rows, {0, 1, 9});
  EXPECT_EQ(rows, (std::vector<std::string>{"d", "a", "c"}));
  insertElements(rows, 1, {"x", "y"});
  insertElements(rows, 99, {"z"});
  insertElements(rows, 0, {});
  EXPECT_EQ(rows, (std::vector<std::string>{"d", "x", "y", "a", "c", "z"}));
}

TEST(MultilineFixedSizeTest, EveryLineShowsWholeInANarrowWindowAndALongWordBreaksAtTheEdge) {
  // Each label alone in a window, as in a popover.
  auto shownAlone = [](QLabel* label, QWidget& window) {
    setMultilineFixedSize(*label);
    (new QVBoxLayout(&window))->addWidget(label);
    window.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.resize(120, window.height());
    QTest::qWait(1);  // the layout settles
  };
  QWidget narrow, popover;
  auto* sentence = new QLabel("A sentence that needs several lines when the window it is in is made narrow.");
  shownAlone(sentence, narrow);
  EXPECT_GE(sentence->height(), sentence->heightForWidth(sentence->width()));

  auto* word = new QLabel(QString(60, 'W'));
  word->setMaximumWidth(120);
  shownAlone(word, popover);
  const QFontMetrics metrics = word->fontMetrics();
  const int lines = metrics.horizontalAdvance(word->text()) / word->width() + 1;
  EXPECT_EQ(word->width(), 120);
  EXPECT_GE(word->height(), lines * metrics.lineSpacing());
  // The last line shows: some of the word is drawn on it.
  const QImage shown = word->grab().toImage();
  bool inkLow = false;
  for (int x = 0; x < shown.width() && !inkLow; ++x)
    inkLow = shown.pixelColor(x, (lines - 1) * metrics.lineSpacing() + metrics.ascent() / 2) != shown.pixelColor(0, 0);
  EXPECT_TRUE(inkLow);
}

TEST(ReverseMaskTest, CutsOutTheOpaquePartOfTheMaskAtItsPlaceWhateverSizeTheViewTakes) {
  QWidget window;
  fillWith(window, Qt::white);
  window.resize(300, 200);
  auto* view = new QWidget(&window);
  fillWith(*view, Qt::blue);
  view->setGeometry(10, 10, 100, 60);

  // Opaque on its left half, half transparent on its right half.
  QImage mask(20, 20, QImage::Format_ARGB32);
  mask.fill(Qt::transparent);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x) mask.setPixelColor(x, y, QColor(0, 0, 0, x < 10 ? 255 : 128));
  setReverseMask(*view, mask, Qt::AlignRight | Qt::AlignBottom);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

  auto pixel = [&window](QPoint at) { return window.grab().toImage().pixelColor(at); };
  auto corner = [view] { return view->geometry().bottomRight(); };
  EXPECT_EQ(pixel(corner() - QPoint(15, 5)), QColor(Qt::white));
  const QColor half = pixel(corner() - QPoint(5, 5));
  EXPECT_GT(half.red(), 100);
  EXPECT_GT(half.blue(), 200);
  EXPECT_EQ(pixel(view->geometry().topLeft() + QPoint(5, 5)), QColor(Qt::blue));

  // The mask keeps its corner when the view grows.
  view->resize(200, 150);
  EXPECT_EQ(pixel(corner() - QPoint(15, 5)), QColor(Qt::white));
  EXPECT_EQ(pixel(view->geometry().topLeft() + QPoint(85, 45)), QColor(Qt::blue));

  // A fully transparent mask leaves the view whole.
  QImage clear(20, 20, QImage::Format_ARGB32);
  clear.fill(Qt::transparent);
  setReverseMask(*view, clear, Qt::AlignRight | Qt::AlignBottom);
  EXPECT_EQ(pixel(corner() - QPoint(15, 5)), QColor(Qt::blue));
}

}  // namespace
}  // namespace kit
