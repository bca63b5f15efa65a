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
  sheet->setText("Exporting 12 files…");
  EXPECT_TRUE(sheet->label()->isVisible());
  sheet->setText({});
  EXPECT_FALSE(sheet->label()->isVisible());

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
