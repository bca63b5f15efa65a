#include "kit/app/standard_menu.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QPointer>
#include <QTest>
#include <set>

#include "kit/app/feedback.h"
#include "kit/app/relaunch.h"
#include "kit/app/share.h"
#include "kit/foundation/alert.h"
#include "kit/foundation/url_query.h"
#include "kit/ui/url_opening.h"
#include "support/offscreen_application.h"
#include "support/recording_alert_presenter.h"

// Font discovery keeps its caches for the life of the process. (The suppression lists themselves belong to the
// script engine's layer, so these widget tests add theirs as files; `make test` passes Qt's thread suppressions.)
extern "C" const char* __lsan_default_options() { return "suppressions=" QUILLET_TEST_DATA "/fontconfig_leaks.supp"; }

namespace kit {
namespace {

class StandardMenuTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ensureOffscreenApplication(); }
  void SetUp() override {
    setUrlOpenerForTesting([this](const platform::Url& url) {
      opened.push_back(url.absoluteString());
      return true;
    });
    setAlertPresenter(&presenter);
  }
  void TearDown() override {
    setUrlOpenerForTesting({});
    setAlertPresenter(nullptr);
  }

  RecordingAlertPresenter presenter;
  std::vector<std::string> opened;
};

TEST_F(StandardMenuTest, HeadersAreDisabledAndAddASeparatorOnlyWhenAsked) {
  QMenu menu;
  QAction* header = addHeader(menu, "Quick Settings", false);
  EXPECT_EQ(menu.actions().size(), 1);
  addHeader(menu, "Other", true);
  ASSERT_EQ(menu.actions().size(), 3);
  EXPECT_TRUE(menu.actions()[1]->isSeparator());
  EXPECT_FALSE(header->isEnabled());
  EXPECT_LT(header->font().pointSizeF(), menu.font().pointSizeF());
}

TEST_F(StandardMenuTest, LinkItemsOpenTheProductPagesWithTheirFragments) {
  QMenu menu;
  addTipsItem(menu)->trigger();
  addFAQItem(menu)->trigger();
  addWebsiteItem(menu)->trigger();
  addMoreAppsItem(menu)->trigger();
  EXPECT_EQ(addRateAppItem(menu), nullptr);
  EXPECT_EQ(opened, (std::vector<std::string>{"https://kestrova.com/quillet#tips", "https://kestrova.com/quillet#faq",
                                              "https://kestrova.com/quillet", "https://kestrova.com/apps"}));
  for (QAction* action : menu.actions()) EXPECT_TRUE(action->shortcut().isEmpty()) << action->text().toStdString();
}

TEST_F(StandardMenuTest, FeedbackCarriesOnlyProductAndMetadataUnlessGivenMore) {
  openFeedbackPage();
  ASSERT_EQ(opened.size(), 1u);
  const auto url = *platform::Url::parse(opened.front());
  std::set<std::string> names;
  for (const auto& item : queryItems(url)) names.insert(item.name);
  EXPECT_EQ(names, (std::set<std::string>{"metadata", "product"}));
  EXPECT_EQ(queryItemValue(url, "product"), "Quillet");
  EXPECT_NE(queryItemValue(url, "metadata").value_or("").find("Bundle Identifier"), std::string::npos);

  const auto withMessage = feedbackPageUrl("a & b = c", "");
  EXPECT_EQ(queryItemValue(withMessage, "messageField"), "a & b = c");
  EXPECT_EQ(queryItemValue(withMessage, "extraInfo"), "");
  EXPECT_EQ(withMessage.absoluteString().rfind("https://kestrova.com/feedback?", 0), 0u);
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

TEST_F(StandardMenuTest, ShareWindowCopiesMailsAndShowsTheLink) {
  EXPECT_EQ(shareLink().absoluteString(), "https://kestrova.com/quillet");
  EXPECT_EQ(emailLinkUrl(shareLink()).absoluteString(), "mailto:?body=https%3A%2F%2Fkestrova.com%2Fquillet");

  platform::MemoryPasteboard pasteboard;
  ShareAppScreen* first = ShareAppScreen::showWindow(pasteboard);
  ShareAppScreen* second = ShareAppScreen::showWindow(pasteboard);
  EXPECT_NE(first->window(), second->window());
  EXPECT_TRUE(QTest::qWaitFor([&] { return first->isVisible() && second->isVisible(); }));
  EXPECT_EQ(first->window()->minimumSize(), first->window()->maximumSize());  // not resizable
  EXPECT_TRUE(first->window()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));

  QTest::keyClick(first, Qt::Key_Escape);
  EXPECT_TRUE(first->isVisible());

  first->copyButton()->click();
  EXPECT_EQ(pasteboard.string(platform::PasteboardType::string), "https://kestrova.com/quillet");
  EXPECT_EQ(pasteboard.string("org.nspasteboard.source"), "com.kestrova.Quillet");
  EXPECT_EQ(first->copyButton()->text(), "Copied");
  QTest::qWait(1100);
  EXPECT_EQ(first->copyButton()->text(), "Copy Link");
  QPointer<ShareAppScreen> content(first);
  first->window()->close();
  second->window()->close();
  EXPECT_TRUE(QTest::qWaitFor([&] { return content.isNull(); }));  // the closed window lets go of its content
}

}  // namespace
}  // namespace kit
