// Excluding an application through the settings window, on a real X clipboard: the engine runs in this process, the
// copies come from xclip, whose process the desktop entry of a private applications folder names.
#include "app/exclude_settings.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "app/settings_window.h"
#include "engine/pasteboard_controller.h"
#include "engine/preference_keys.h"
#include "kit/ui/app_picker.h"
#include "support/xdg_folders.h"
#include "x11_session_support.h"

namespace app {
namespace {

using namespace std::chrono_literals;
namespace Keys = kit::Preferences::Keys;

class ExcludeThroughSettings : public x11test::SessionTest {
 protected:
  void SetUp() override {
    kit::Preferences::removeAll();
    // xclip is an application of its own here: its process maps to this entry through its executable.
    apps.install("org.example.Clipper", applicationEntry("Clipper", "Exec=xclip -selection clipboard\n"));
    engine = std::make_unique<engine::PasteboardController>(platform::generalPasteboard());
    x11test::processEventsFor(100ms);
  }
  void TearDown() override {
    if (SettingsWindow::current()) SettingsWindow::current()->close();
    x11test::processEventsFor(100ms);
    copier.reset();
    engine.reset();
  }

  // Copies rich text from xclip and answers whether the engine cleaned it.
  bool copyRichTextAndWait() {
    platform::Pasteboard& pasteboard = platform::generalPasteboard();
    const int64_t before = pasteboard.changeCount();
    copier = std::make_unique<x11test::ChildProcess>(
        std::vector<std::string>{"xclip", "-quiet", "-selection", "clipboard", "-t", "text/html", "-i"},
        "<p><b>Hello</b> <i>world</i></p>");
    EXPECT_TRUE(x11test::processEventsUntil([&] { return pasteboard.changeCount() != before; }));
    return x11test::processEventsUntil([] { return QApplication::clipboard()->ownsClipboard(); }, 1500ms);
  }

  TemporaryXdgFolders apps{TemporaryXdgFolders::ConfigHome::kept};
  std::unique_ptr<engine::PasteboardController> engine;
  std::unique_ptr<x11test::ChildProcess> copier;
};

TEST_F(ExcludeThroughSettings, CopiesFromAnExcludedApplicationAreLeftAloneUntilItIsRemoved) {
  SettingsWindow& window = SettingsWindow::open();
  ASSERT_TRUE(x11test::processEventsUntil([&] { return window.isVisible(); }));
  window.setCurrentTab(2);
  auto* tab = qobject_cast<ExcludeSettings*>(window.currentPage());
  ASSERT_NE(tab, nullptr);

  QTest::mouseClick(tab->addButton(), Qt::LeftButton);
  kit::AppPickerDialog* picker = nullptr;
  ASSERT_TRUE(x11test::processEventsUntil(
      [&] { return (picker = window.findChild<kit::AppPickerDialog*>()) && picker->isVisible(); }));
  auto clipper = picker->list()->findItems("Clipper", Qt::MatchExactly);
  ASSERT_EQ(clipper.size(), 1);
  clipper.front()->setSelected(true);
  QTest::mouseClick(picker->chooseButton(), Qt::LeftButton);
  EXPECT_EQ(kit::Preferences::get(Keys::excludedApps()), std::vector<kit::BundleIdentifier>{"org.example.Clipper"});
  ASSERT_EQ(tab->list()->count(), 1);
  EXPECT_EQ(tab->list()->item(0)->text(), "Clipper");

  EXPECT_FALSE(copyRichTextAndWait()) << "a copy in an excluded application is left as it is";
  EXPECT_EQ(engine->pasteboardItemSourceApp(), "org.example.Clipper");
  EXPECT_EQ(x11test::readClipboard("text/html"), "<p><b>Hello</b> <i>world</i></p>");

  tab->list()->item(0)->setSelected(true);
  QTest::mouseClick(tab->removeButton(), Qt::LeftButton);
  EXPECT_TRUE(kit::Preferences::get(Keys::excludedApps()).empty());

  EXPECT_TRUE(copyRichTextAndWait()) << "removed from the list, it is cleaned again";
  EXPECT_EQ(x11test::readClipboard("UTF8_STRING"), "Hello world\n");  // the paragraph's end
  EXPECT_EQ(x11test::readClipboard("TARGETS").find("text/html"), std::string::npos);
}

}  // namespace
}  // namespace app
