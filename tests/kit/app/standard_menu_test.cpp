#include "kit/app/standard_menu.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QTest>
#include <QTextDocumentFragment>

#include "kit/app/app_facts.h"
#include "kit/app/relaunch.h"
#include "kit/ui/text_styles.h"
#include "kit_widgets_test_support.h"
#include "platform/text/fonts.h"
#include "support/screenshots.h"
#include "support/title_shown.h"

namespace kit {
namespace {

using StandardMenuTest = KitWidgetsTest;

TEST_F(StandardMenuTest, AHeaderShowsItsTextAsWritten) {
  QMenu menu;
  QAction* header = addHeader(menu, "Q&A", false);
  EXPECT_EQ(titleShown(menu, *header), "Q&A");
}

TEST_F(StandardMenuTest, SettingsOpenOnALaterTurn) {
  int opens = 0;
  setOpenSettingsHandler([&] { ++opens; });
  settingsMenuItemAction();
  EXPECT_EQ(opens, 0);
  QTest::qWait(20);
  EXPECT_EQ(opens, 1);
  setOpenSettingsHandler({});
}

TEST_F(StandardMenuTest, AHeaderCannotBeChosenAndIsInTheSystemFontAtTheSmallSize) {
  QMenu menu;
  menu.setFont(QFont("Serif", 20));  // the desktop's menu font does not matter
  QAction* header = addHeader(menu, "Links", true);
  addHeader(menu, "More", false);
  ASSERT_EQ(menu.actions().size(), 3);
  EXPECT_TRUE(menu.actions()[0]->isSeparator());
  EXPECT_EQ(menu.actions()[1], header);
  EXPECT_FALSE(header->isEnabled());
  EXPECT_EQ(header->font().family().toStdString(), platform::systemFont(smallSystemFontSize()).family);
  EXPECT_DOUBLE_EQ(header->font().pointSizeF(), smallSystemFontSize());
  EXPECT_EQ(header->font().weight(), QFont::Normal);
}

TEST_F(StandardMenuTest, TheAboutBoxShowsTheVersionWithItsBuildAndStaysOne) {
  auto aboutBoxes = [] {
    QList<QMessageBox*> boxes;
    for (QWidget* widget : QApplication::topLevelWidgets())
      if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->objectName() == "aboutBox") boxes << box;
    return boxes;
  };
  aboutMenuItemAction();
  ASSERT_EQ(aboutBoxes().size(), 1);
  QMessageBox* box = aboutBoxes().front();
  EXPECT_TRUE(box->isVisible());
  EXPECT_FALSE(box->isModal()) << "it blocks no other window";
  EXPECT_EQ(box->windowTitle(), "About Quillet");
  EXPECT_EQ(QTextDocumentFragment::fromHtml(box->text()).toPlainText().toStdString(),
            "Quillet\nVersion " + AppFacts::versionWithBuild());
  EXPECT_FALSE(box->iconPixmap().isNull());
  saveScreenshot(*box, "about-box.png");

  aboutMenuItemAction();
  EXPECT_EQ(aboutBoxes(), QList<QMessageBox*>{box}) << "the open box comes forward";
  box->close();
  EXPECT_TRUE(QTest::qWaitFor([&] { return aboutBoxes().isEmpty(); }));
}

}  // namespace
}  // namespace kit
