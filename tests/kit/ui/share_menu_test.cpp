#include "kit/ui/share_menu.h"

#include <gtest/gtest.h>

#include <QTest>

#include "kit/foundation/verbatim_title.h"
#include "kit/ui/url_opening.h"
#include "support/title_shown.h"

namespace kit {
namespace {

class ShareMenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setUrlOpenerForTesting([this](const platform::Url& url) {
      opened.push_back(url.absoluteString());
      return true;
    });
  }
  void TearDown() override {
    setUrlOpenerForTesting({});
    ShareMenu::itemsProvider = {};
    ShareMenu::shareItemsProvider = {};
    ShareMenu::preferredServicesProvider = {};
  }
  static std::vector<std::string> titles(const QMenu& menu) {
    std::vector<std::string> result;
    for (const QAction* action : menu.actions())
      result.push_back(action->isSeparator() ? "--" : shownTitle(action->text()).toStdString());
    return result;
  }
  SharingService recording() {
    return SharingService(
        "record", "Record", {}, [](const SharingService::Items&) { return true; },
        [this](const SharingService::Items& items) { recorded.push_back(plainText(items)); });
  }

  std::vector<std::string> opened, recorded;
  const platform::Url link = *platform::Url::parse("https://example.org/a b");
};

TEST_F(ShareMenuTest, ListsPreferredServicesFirstThenEveryCapableService) {
  ShareMenu menu;
  ShareMenu::shareItemsProvider = [this] { return SharingService::Items{link}; };
  menu.menuNeedsUpdate();
  EXPECT_EQ(titles(menu), (std::vector<std::string>{"--", "--", "Email", "Copy"}));
  // Both separators are drawn, one under the other, above the services.
  const QRect first = menu.actionGeometry(menu.actions()[0]), second = menu.actionGeometry(menu.actions()[1]);
  EXPECT_GT(first.height(), 0);
  EXPECT_GT(second.height(), 0);
  EXPECT_GE(second.top(), first.bottom());

  ShareMenu::preferredServicesProvider = [this] {
    return std::vector<SharingService>{recording(),
                                       SharingService(
                                           "never", "Never", {}, [](auto&) { return false; }, [](auto&) {})};
  };
  menu.menuNeedsUpdate();
  EXPECT_EQ(titles(menu), (std::vector<std::string>{"--", "Record", "--", "Email", "Copy"}));

  menu.actions()[3]->trigger();
  menu.actions()[1]->trigger();
  EXPECT_EQ(opened, std::vector<std::string>{"mailto:?body=https%3A%2F%2Fexample.org%2Fa%2520b"});
  EXPECT_EQ(recorded, std::vector<std::string>{"https://example.org/a%20b"});
  EXPECT_TRUE(menu.shareItems.empty());
}

TEST_F(ShareMenuTest, ProgramItemsAreConvertedAndNotKept) {
  struct Note : ShareItem {
    ShareObject shareObject() const override { return std::string("a note"); }
  };
  ShareMenu::itemsProvider = [] { return std::vector<std::shared_ptr<const ShareItem>>{std::make_shared<Note>()}; };
  ShareMenu::preferredServicesProvider = [this] { return std::vector<SharingService>{recording()}; };
  ShareMenu menu;
  menu.menuNeedsUpdate();
  EXPECT_TRUE(menu.shareItems.empty());
  EXPECT_EQ(titles(menu), (std::vector<std::string>{"--", "Record", "--", "Email", "Copy"}));
  // The chosen service still gets what the values stand for.
  menu.actions()[1]->trigger();
  EXPECT_EQ(recorded, std::vector<std::string>{"a note"});

  ShareMenu::itemsProvider = {};
  ShareMenu::preferredServicesProvider = {};
  menu.menuNeedsUpdate();
  EXPECT_EQ(titles(menu), (std::vector<std::string>{"--", "--", "Nothing to Share"}));
  EXPECT_FALSE(menu.actions().back()->isEnabled());
}

TEST_F(ShareMenuTest, AMenuUnderADisabledItemKeepsItsItemsAndTitlesAreShownAsWritten) {
  QMenu parent;
  ShareMenuItem item("Share & Send");
  parent.addAction(&item);
  EXPECT_EQ(titleShown(parent, item), "Share & Send");
  item.setEnabled(false);
  item.shareMenu()->shareItems = {link};
  item.shareMenu()->menuNeedsUpdate();
  EXPECT_TRUE(item.shareMenu()->actions().isEmpty());
  item.setEnabled(true);
  item.shareMenu()->menuNeedsUpdate();
  EXPECT_EQ(titles(*item.shareMenu()), (std::vector<std::string>{"--", "--", "Email", "Copy"}));

  ShareMenu::preferredServicesProvider = [] {
    return std::vector<SharingService>{SharingService(
        "print", "Print & Mail", {}, [](auto&) { return true; }, [](auto&) {})};
  };
  ShareMenu& menu = *item.shareMenu();
  menu.menuNeedsUpdate();
  EXPECT_EQ(titleShown(menu, *menu.actions()[1]), "Print & Mail");
}

TEST_F(ShareMenuTest, TheButtonOpensTheSharedMenuUnderItselfOnMouseDown) {
  QWidget window;
  auto* button = new ShareButton(&window);
  auto* other = new ShareButton(&window);
  other->move(0, 50);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  QTest::mousePress(button, Qt::LeftButton);
  EXPECT_TRUE(QTest::qWaitFor([] { return ShareButton::menu().isVisible(); }));
  EXPECT_EQ(ShareButton::menu().pos().y(), button->mapToGlobal(QPoint(0, button->height() + 4)).y());
  ShareButton::menu().hide();

  ShareToolbarItem toolbarItem;
  EXPECT_NE(toolbarItem.shareMenu(), &ShareButton::menu()) << "a menu of its own";
}

}  // namespace
}  // namespace kit
