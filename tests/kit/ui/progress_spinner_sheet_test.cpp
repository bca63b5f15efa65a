#include "kit/ui/progress_spinner_sheet.h"

#include <gtest/gtest.h>

#include <QPointer>
#include <QProgressBar>
#include <QTest>

#include "kit/ui/labels.h"

namespace kit {
namespace {

TEST(ProgressSpinnerSheet, ShowsTheMessageOnlyWhenThereIsOneAndEscapeHidesTheSheetThenCancels) {
  QWidget window;
  window.resize(400, 300);
  window.show();
  auto* sheet = new ProgressSpinnerSheet;
  int cancelled = 0;
  sheet->onCancel = [&] { ++cancelled; };
  sheet->present(window);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(sheet));
  EXPECT_TRUE(sheet->isShown());
  EXPECT_TRUE(sheet->spinner()->isVisible());
  EXPECT_FALSE(sheet->label()->isVisible());
  // The content sits 80 points in from the sides and 30 from the top and bottom.
  auto placeIn = [&sheet](QWidget* part) { return QRect(part->mapTo(sheet, QPoint(0, 0)), part->size()); };
  const QSize alone = sheet->size();
  EXPECT_EQ(placeIn(sheet->spinner()).top(), 30);
  sheet->setText("Exporting 12 files, which may take a while: the largest of them are the photos of the trip");
  EXPECT_TRUE(sheet->label()->isVisible());
  EXPECT_LE(sheet->label()->width(), 300);
  const QRect message = placeIn(sheet->label());
  EXPECT_GE(message.left(), 80);
  EXPECT_EQ(sheet->height() - 1 - message.bottom(), 30);
  sheet->setText({});
  EXPECT_FALSE(sheet->label()->isVisible());
  EXPECT_EQ(sheet->size(), alone);

  sheet->setText("Working");
  sheet->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(sheet));
  QTest::keyClick(sheet, Qt::Key_Escape);
  EXPECT_EQ(cancelled, 1);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !sheet->isVisible(); }));
  EXPECT_FALSE(sheet->isShown());
  EXPECT_TRUE(sheet->text().isEmpty());
  EXPECT_EQ(sheet->spinner()->maximum(), 1) << "the indicator stopped";
}

}  // namespace
}  // namespace kit
