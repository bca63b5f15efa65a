// Screenshots go to settings-screenshots/ beside the test programs.
#include "app/settings_window.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QEnterEvent>
#include <QLabel>
#include <QTabBar>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <filesystem>
#include <fstream>
#include <vector>

#include "app/extras_settings.h"
#include "app/general_settings.h"
#include "app/shortcut_settings.h"
#include "engine/preference_keys.h"
#include "engine/shortcut_names.h"
#include "kit/app/launch_at_login.h"
#include "kit/app/relaunch.h"
#include "kit/preferences/preference_toggle.h"
#include "kit/shortcuts/storage.h"
#include "kit/ui/hover_tooltip.h"
#include "kit/ui/info_popover_button.h"
#include "kit/ui/native_button.h"
#include "kit/ui/popover.h"
#include "kit/ui/url_opening.h"
#include "platform/prefs/plist_codec.h"
#include "support/recording_alert_presenter.h"
#include "support/screenshots.h"

namespace app {
namespace {

namespace Keys = kit::Preferences::Keys;
namespace Names = kit::GlobalShortcuts::Names;
using kit::GlobalShortcuts::Shortcut;
using kit::Preferences::PreferenceToggle;

enum Tab { general, shortcuts, exclude, extras };

bool processUntil(const std::function<bool()>& condition) { return QTest::qWaitFor(condition, 3000); }

template <class T>
std::vector<T*> visible(QWidget* root) {
  std::vector<T*> found;
  for (T* child : root->findChildren<T*>())
    if (child->isVisible()) found.push_back(child);
  return found;
}

PreferenceToggle* toggleTitled(QWidget* root, const QString& title) {
  for (auto* toggle : root->findChildren<PreferenceToggle*>())
    if (toggle->text() == title || toggle->accessibleName() == title) return toggle;
  return nullptr;
}

// The switch a screen reader finds by the name it reads, below `root`.
QAccessibleInterface* switchNamed(QWidget* root, const QString& name) {
  std::function<QAccessibleInterface*(QAccessibleInterface*)> search = [&](QAccessibleInterface* node) {
    if (node->role() == QAccessible::CheckBox && node->text(QAccessible::Name) == name) return node;
    for (int index = 0; index < node->childCount(); ++index)
      if (QAccessibleInterface* found = search(node->child(index))) return found;
    return static_cast<QAccessibleInterface*>(nullptr);
  };
  return search(QAccessible::queryAccessibleInterface(root));
}

void toggleAsAScreenReaderDoes(QAccessibleInterface& control) {
  control.actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
}

// Where each `word` shown in the labels of `content` starts, across the content: the labels' text laid out again in
// their font and width, as they lay it out.
std::vector<double> startsOf(const QString& word, QWidget& content) {
  QList<QLabel*> labels = content.findChildren<QLabel*>();
  if (auto* label = qobject_cast<QLabel*>(&content)) labels.prepend(label);
  std::vector<double> starts;
  for (QLabel* label : labels) {
    QTextDocument document;
    document.setDefaultFont(label->font());
    document.setDocumentMargin(0);
    if (label->textFormat() == Qt::MarkdownText)
      document.setMarkdown(label->text());
    else
      document.setHtml(label->text());
    document.setTextWidth(label->contentsRect().width());
    document.size();  // laid out now
    const double left = label->mapTo(&content, label->contentsRect().topLeft()).x();
    for (QTextCursor found = document.find(word); !found.isNull(); found = document.find(word, found)) {
      const QTextBlock block = found.block();
      const int at = found.selectionStart() - block.position();
      const QTextLine line = block.layout()->lineForTextPosition(at);
      starts.push_back(left + block.layout()->position().x() + line.cursorToX(at));
    }
  }
  return starts;
}

struct LayoutRequestCounter : QObject {
  explicit LayoutRequestCounter(QWidget& widget) { widget.installEventFilter(this); }
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::LayoutRequest) ++count;
    return false;
  }
  int count = 0;
};

class SettingsWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    kit::Preferences::removeAll();
    kit::setAlertPresenter(&presenter);
    installSettingsWindow();
    window = &SettingsWindow::open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->isVisible(); }));  // shown on a later turn
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
  }
  void TearDown() override {
    window->close();
    QTest::qWait(1);  // the closed window is deleted on a later turn
    kit::setAlertPresenter(nullptr);
    for (const auto* name :
         {&Names::copyAndClearFormatting(), &Names::clearFormatting(), &Names::toggleAutomaticallyClearFormatting()})
      kit::GlobalShortcuts::setShortcut(std::nullopt, *name);
  }

  QWidget* showTab(Tab tab) {
    window->setCurrentTab(tab);
    return window->currentPage();
  }

  // The stored values as another program writes them: a new file renamed over the old one.
  void editPreferencesFile(const platform::PlistDict& entries) {
    auto& suite = platform::UserDefaults::standard();
    suite.flush();
    const std::filesystem::path file = suite.filePath();
    const std::filesystem::path side = file.string() + ".outside";
    std::ofstream(side) << platform::xmlPropertyList(entries);
    std::filesystem::rename(side, file);
  }

  RecordingAlertPresenter presenter;
  SettingsWindow* window = nullptr;
};

TEST_F(SettingsWindowTest, TheWindowIs480WideAsHighAsTheCurrentTabAndOneForEveryPath) {
  QTabBar* tabs = window->tabBar();
  std::vector<int> heights;
  for (Tab tab : {general, shortcuts, exclude, extras}) {
    showTab(tab);
    QTest::qWait(50);
    EXPECT_EQ(window->width(), 480);
    heights.push_back(window->height());
    saveScreenshot(*window, "settings-" + tabs->tabText(tab).toLower().toStdString() + ".png");
  }
  EXPECT_GT(heights[extras], heights[general]);
  EXPECT_GT(heights[general], heights[shortcuts]);

  // Fitted once, the window lays itself out no more until something in it changes.
  LayoutRequestCounter requests(*window);
  QTest::qWait(200);
  EXPECT_EQ(requests.count, 0);

  // Every path that opens settings reaches this one window.
  kit::openSettings();
  EXPECT_EQ(SettingsWindow::current(), window);
  EXPECT_EQ(QApplication::topLevelWidgets().count(window), 1);
}

TEST_F(SettingsWindowTest, AtALargerFontNoLabelIsCut) {
  const QFont original = QApplication::font();
  for (int points : {11, 13}) {
    window->close();
    QApplication::setFont(QFont("DejaVu Sans", points));
    window = &SettingsWindow::open();
    ASSERT_TRUE(processUntil([&] { return window->isVisible(); }));
    for (Tab tab : {general, shortcuts, exclude, extras}) {
      QWidget* page = showTab(tab);
      QTest::qWait(50);
      EXPECT_EQ(window->width(), 480) << points << " pt";
      // A label that wraps takes the lines it needs at its width; any other is as wide as its text.
      for (QLabel* label : visible<QLabel>(page)) {
        const std::string text = label->text().toStdString() + " at " + std::to_string(points) + " pt";
        if (label->wordWrap())
          EXPECT_GE(label->height(), label->heightForWidth(label->width())) << text;
        else
          EXPECT_GE(label->width(), label->sizeHint().width()) << text;
      }
    }
  }
  QApplication::setFont(original);
}

TEST_F(SettingsWindowTest, GeneralRowsShowTheirSettingsAndStoreEachClick) {
  QWidget* page = showTab(general);
  auto* automatic = page->findChild<AutomaticallyClearFormattingSetting*>();
  ASSERT_NE(automatic, nullptr);
  EXPECT_TRUE(automatic->toggle()->isChecked());
  EXPECT_TRUE(automatic->subtitle()->accessibleName().startsWith("Press Alt key while clicking “Copy” menu item"));

  PreferenceToggle* dim = toggleTitled(page, "Dim menu bar icon when disabled");
  ASSERT_NE(dim, nullptr);
  EXPECT_TRUE(dim->isChecked());
  dim->click();
  EXPECT_FALSE(kit::Preferences::get(Keys::dimMenuBarIconWhenDisabled()));
  dim->click();
  EXPECT_TRUE(kit::Preferences::get(Keys::dimMenuBarIconWhenDisabled()));

  // Switched off elsewhere (the menu, the toggle shortcut): the subtitle follows while the window is open.
  kit::Preferences::set(Keys::automaticallyClearFormatting(), false);
  EXPECT_TRUE(processUntil([&] {
    return automatic->subtitle()->accessibleName() ==
           "You can manually clear formatting from the menu bar app or with the chosen keyboard shortcut.";
  }));
  EXPECT_FALSE(automatic->toggle()->isChecked());
  automatic->toggle()->click();
  EXPECT_TRUE(kit::Preferences::get(Keys::automaticallyClearFormatting()));

  // The subtitle is part of the switch's label: a click on it switches, and a screen reader hears it.
  QTest::mouseClick(automatic->subtitle(), Qt::LeftButton);
  EXPECT_FALSE(kit::Preferences::get(Keys::automaticallyClearFormatting()));
  EXPECT_TRUE(processUntil([&] {
    return automatic->toggle()->accessibleName() ==
           "Automatically clear formatting You can manually clear formatting from the menu bar app or with the "
           "chosen keyboard shortcut.";
  })) << automatic->toggle()->accessibleName().toStdString();
}

TEST_F(SettingsWindowTest, SwitchesToggledByAScreenReaderActAsAClickDoesAndWriteOnce) {
  int autostartWrites = 0;
  auto counting = kit::LaunchAtLogin::shared().objectWillChange.publisher().sink(
      [&](const platform::rx::Unit&) { ++autostartWrites; });
  QAccessibleInterface* launch = switchNamed(showTab(general), "Launch at login");
  ASSERT_NE(launch, nullptr);
  toggleAsAScreenReaderDoes(*launch);
  EXPECT_TRUE(kit::LaunchAtLogin::shared().isEnabled());
  EXPECT_TRUE(std::filesystem::exists(kit::LaunchAtLogin::shared().entry().path()));
  EXPECT_EQ(autostartWrites, 1);
  qobject_cast<QAbstractButton*>(launch->object())->click();
  EXPECT_FALSE(kit::LaunchAtLogin::shared().isEnabled());
  EXPECT_EQ(autostartWrites, 2) << "a click writes once too";
  EXPECT_TRUE(processUntil([&] { return !launch->state().checked; }));

  QWidget* page = showTab(extras);
  for (const auto& [name, key] :
       {std::pair{"Remove tracking parameters from URLs", Keys::removeTrackingParametersFromURLs()},
        {"Improve compatibility with apps appending to the clipboard",
         Keys::improveCompatibilityWithAppendOperations()}}) {
    QAccessibleInterface* control = switchNamed(page, name);
    ASSERT_NE(control, nullptr) << name;
    toggleAsAScreenReaderDoes(*control);
    EXPECT_TRUE(kit::Preferences::get(key)) << name;
    EXPECT_TRUE(control->state().checked);
    toggleAsAScreenReaderDoes(*control);
    EXPECT_FALSE(kit::Preferences::get(key)) << name;
  }

  // The compatibility switch's wrapping title is its label: a click on it switches.
  const auto labelled = page->findChildren<kit::Preferences::LabeledPreferenceToggle*>();
  ASSERT_EQ(labelled.size(), 1);
  auto* title = qobject_cast<QLabel*>(labelled.front()->label());
  ASSERT_NE(title, nullptr);
  EXPECT_TRUE(title->wordWrap());
  QTest::mouseClick(title, Qt::LeftButton);
  EXPECT_TRUE(kit::Preferences::get(Keys::improveCompatibilityWithAppendOperations()));
}

TEST_F(SettingsWindowTest, ControlsMoveWhenAnotherProgramEditsThePreferencesFile) {
  QWidget* page = showTab(general);
  PreferenceToggle* hide = toggleTitled(page, "Hide menu bar icon");
  PreferenceToggle* dim = toggleTitled(page, "Dim menu bar icon when disabled");
  editPreferencesFile({{"hideMenuBarIcon", true}, {"dimMenuBarIconWhenDisabled", false}});
  EXPECT_TRUE(processUntil([&] { return hide->isChecked() && !dim->isChecked(); }));
  // The icon was hidden while the row was on screen: the same hint as for a click.
  EXPECT_EQ(presenter.messages().size(), 1u);
}

TEST_F(SettingsWindowTest, HidingTheIconFirstTellsHowToGetItBack) {
  PreferenceToggle* hide = toggleTitled(showTab(general), "Hide menu bar icon");
  hide->click();
  EXPECT_TRUE(kit::Preferences::get(Keys::hideMenuBarIcon()));
  ASSERT_EQ(presenter.alerts.size(), 1u);
  EXPECT_EQ(presenter.alerts[0].messageText,
            "If you need to access the menu bar icon, launch the app to reveal it for 5 seconds.");
  EXPECT_EQ(presenter.alerts[0].informativeText, std::nullopt);
  EXPECT_TRUE(presenter.alerts[0].buttons.empty());  // the default dismiss button only

  hide->click();
  EXPECT_FALSE(kit::Preferences::get(Keys::hideMenuBarIcon()));
  EXPECT_EQ(presenter.alerts.size(), 1u);

  // One hint at a time, taken down when the icon is shown again from elsewhere while it is up.
  presenter.holdsSheets = true;
  auto* row = qobject_cast<HideMenuBarIconSetting*>(hide);
  hide->click();
  EXPECT_TRUE(row->isAlertPresented());
  kit::Preferences::set(Keys::hideMenuBarIcon(), false);
  EXPECT_TRUE(processUntil([&] { return !row->isAlertPresented(); }));
  EXPECT_EQ(presenter.events.back(), "end sheet");
  kit::Preferences::set(Keys::hideMenuBarIcon(), true);
  EXPECT_TRUE(processUntil([&] { return row->isAlertPresented(); }));
  EXPECT_EQ(presenter.alerts.size(), 3u);
  presenter.dismissSheet();
  EXPECT_FALSE(row->isAlertPresented());
}

TEST_F(SettingsWindowTest, ClearingShortcutRowsAdviseAgainstNeedlessAndHarmfulShortcuts) {
  QWidget* page = showTab(shortcuts);
  std::vector<ShortcutSetting*> rows = visible<ShortcutSetting>(page);
  ASSERT_EQ(rows.size(), 3u);
  ASSERT_EQ(rows[0], page->findChild<CopyAndClearFormattingShortcutSetting*>());
  ASSERT_EQ(rows[1], page->findChild<ClearFormattingShortcutSetting*>());

  auto record = [&](ShortcutSetting* row, Qt::Key key, Qt::KeyboardModifiers modifiers) {
    presenter.alerts.clear();
    QTest::mouseClick(row->recorder(), Qt::LeftButton);
    QTest::keyClick(row->recorder(), key, modifiers);
    return presenter.messages();
  };
  using Messages = std::vector<std::string>;
  const std::string needless =
      "There is no need to set this shortcut since the “Automatically clear formatting” setting is enabled.";

  // While clearing is automatic, any shortcut in a clearing row is needless; it is stored all the same.
  EXPECT_EQ(record(rows[0], Qt::Key_C, Qt::ControlModifier), Messages{needless});
  EXPECT_EQ(kit::GlobalShortcuts::getShortcut(Names::copyAndClearFormatting()), (Shortcut{8, 256}));
  EXPECT_EQ(record(rows[1], Qt::Key_B, Qt::ControlModifier | Qt::AltModifier), Messages{needless});
  EXPECT_EQ(record(rows[2], Qt::Key_B, Qt::ControlModifier | Qt::ShiftModifier), Messages{});

  kit::Preferences::set(Keys::automaticallyClearFormatting(), false);
  EXPECT_EQ(record(rows[0], Qt::Key_C, Qt::ControlModifier),
            Messages{"It is better to enable the “Automatically clear formatting” setting instead of setting this to "
                     "Ctrl+C."});
  EXPECT_EQ(record(rows[1], Qt::Key_V, Qt::ControlModifier),
            Messages{"It is better to enable the “Automatically clear formatting” setting instead of setting this to "
                     "Ctrl+V."});
  EXPECT_EQ(kit::GlobalShortcuts::getShortcut(Names::clearFormatting()), (Shortcut{9, 256}));
  EXPECT_EQ(record(rows[0], Qt::Key_V, Qt::ControlModifier), Messages{});
  EXPECT_EQ(record(rows[1], Qt::Key_C, Qt::ControlModifier), Messages{});
  EXPECT_EQ(record(rows[0], Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier), Messages{});
  EXPECT_EQ(record(rows[1], Qt::Key_V, Qt::ControlModifier | Qt::AltModifier), Messages{});
  EXPECT_EQ(record(rows[0], Qt::Key_Backspace, Qt::NoModifier), Messages{});  // clearing
  EXPECT_EQ(kit::GlobalShortcuts::getShortcut(Names::copyAndClearFormatting()), std::nullopt);
}

TEST_F(SettingsWindowTest, TheNoAccessNoticeShowsOnlyForASetShortcutWhileTheRowIsOnScreen) {
  QWidget* page = showTab(shortcuts);
  std::vector<ShortcutSetting*> rows = visible<ShortcutSetting>(page);
  ASSERT_NE(rows[0]->notice(), nullptr);
  EXPECT_FALSE(rows[0]->notice()->isVisible());  // no shortcut
  EXPECT_EQ(rows[2]->notice(), nullptr);         // the toggle's row has none

  // No X server here: synthetic keys cannot be posted, so a set shortcut cannot paste.
  kit::GlobalShortcuts::setShortcut(Shortcut{9, 256}, Names::clearFormatting());
  EXPECT_TRUE(processUntil([&] { return rows[1]->notice()->isVisible(); }));
  EXPECT_FALSE(rows[0]->notice()->isVisible());
  saveScreenshot(*window, "settings-shortcuts-notice.png");

  // Resting the pointer on it explains why.
  QEnterEvent enter(QPointF(4, 4), QPointF(4, 4), QPointF(4, 4));
  QApplication::sendEvent(rows[1]->notice(), &enter);
  ASSERT_TRUE(processUntil([&] { return rows[1]->notice()->tooltip()->isPresented(); }));
  saveScreenshot(*rows[1]->notice()->tooltip()->popover(), "settings-notice-popover.png");

  showTab(general);
  EXPECT_TRUE(processUntil([&] { return rows[1]->notice() == nullptr; }));
  showTab(shortcuts);
  ASSERT_NE(rows[1]->notice(), nullptr);
  EXPECT_TRUE(rows[1]->notice()->isVisible());
}

TEST_F(SettingsWindowTest, ExtrasRowsStartOffAndTheScriptsEditButtonKeepsItsPlaceWhileHidden) {
  QWidget* page = showTab(extras);
  for (auto* toggle : page->findChildren<PreferenceToggle*>())
    EXPECT_FALSE(toggle->isChecked()) << toggle->text().toStdString();
  toggleTitled(page, "Trim leading and trailing whitespace")->click();
  EXPECT_TRUE(kit::Preferences::get(Keys::trimLeadingAndTrailingWhitespace()));

  // Each text option's row switches its own setting; only "Normalize unordered lists" has no tooltip.
  auto* tracking = page->findChild<RemoveTrackingParametersSetting*>();
  ASSERT_NE(tracking, nullptr);
  EXPECT_EQ(tracking->toggle()->toolTip().toStdString(), "Removes Google Analytics UTM and other tracking parameters");
  tracking->toggle()->click();
  EXPECT_TRUE(kit::Preferences::get(Keys::removeTrackingParametersFromURLs()));
  auto* lists = page->findChild<NormalizeUnorderedListsSetting*>();
  ASSERT_NE(lists, nullptr);
  EXPECT_TRUE(lists->toggle()->toolTip().isEmpty());
  lists->toggle()->click();
  EXPECT_TRUE(kit::Preferences::get(Keys::normalizeUnorderedLists()));
  EXPECT_FALSE(kit::Preferences::get(Keys::preserveLinks()));
  EXPECT_NE(tracking->findChild<kit::InfoPopoverButton*>(), nullptr);
  EXPECT_NE(lists->findChild<kit::InfoPopoverButton*>(), nullptr);

  auto* script = page->findChild<TransformTextWithJavaScriptSetting*>();
  EXPECT_FALSE(script->conflictNote()->isVisible());
  EXPECT_FALSE(script->editButton()->isVisible());
  EXPECT_TRUE(script->editButton()->sizePolicy().retainSizeWhenHidden());
}

TEST_F(SettingsWindowTest, ThePreserveLinksExamplesStartAtOnePlace) {
  auto* row = showTab(extras)->findChild<PreserveLinksSetting*>();
  auto* help = row->findChild<kit::InfoPopoverButton*>();
  help->click();
  ASSERT_TRUE(help->isPopoverPresented());
  QWidget& content = *help->popover()->content();
  const std::vector<double> starts = startsOf("Ducks", content);
  ASSERT_EQ(starts.size(), 3u) << "Original, When disabled, When enabled";
  const auto [first, last] = std::minmax_element(starts.begin(), starts.end());
  EXPECT_LE(*last - *first, 1) << "Original at " << starts[0] << ", When disabled at " << starts[1]
                               << ", When enabled at " << starts[2];
  EXPECT_GT(*first, QFontMetricsF(content.font()).horizontalAdvance("When disabled:")) << "after the titles";
  help->popover()->close();
}

TEST_F(SettingsWindowTest, PreservingLinksWarnsAndSwitchesTheScriptOff) {
  std::vector<std::string> opened;
  kit::setUrlOpenerForTesting([&](const platform::Url& url) {
    opened.push_back(url.absoluteString());
    return true;
  });
  QWidget* page = showTab(extras);
  auto* script = page->findChild<TransformTextWithJavaScriptSetting*>();
  script->toggle()->click();
  EXPECT_TRUE(kit::Preferences::get(Keys::transformTextWithJavaScript()));
  EXPECT_TRUE(processUntil([&] { return script->editButton()->isVisible(); }));

  const int heightBefore = window->height();
  presenter.answer = kit::alertFirstButtonReturn + 1;  // "Learn More"
  toggleTitled(page, "Preserve links")->click();
  ASSERT_EQ(presenter.alerts.size(), 1u);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_TRUE(opened[0].ends_with("/quillet#word-bug")) << opened[0];

  EXPECT_TRUE(processUntil([&] { return !kit::Preferences::get(Keys::transformTextWithJavaScript()); }));
  EXPECT_TRUE(processUntil([&] { return script->conflictNote()->isVisible() && !script->editButton()->isVisible(); }));
  EXPECT_FALSE(script->isEnabled());
  EXPECT_FALSE(script->toggle()->isChecked());
  EXPECT_TRUE(processUntil([&] { return window->height() > heightBefore; }));  // the note's line
  saveScreenshot(*window, "settings-extras-conflict.png");

  // Off again: no alert, and the script stays off until switched on.
  toggleTitled(page, "Preserve links")->click();
  EXPECT_TRUE(processUntil([&] { return script->isEnabled(); }));
  EXPECT_EQ(presenter.alerts.size(), 1u);
  EXPECT_FALSE(kit::Preferences::get(Keys::transformTextWithJavaScript()));

  // One warning at a time, also when the setting goes off and on again from elsewhere while it is up.
  presenter.holdsSheets = true;
  auto* links = page->findChild<PreserveLinksSetting*>();
  kit::Preferences::set(Keys::preserveLinks(), true);
  EXPECT_TRUE(processUntil([&] { return links->isWarningPresented(); }));
  kit::Preferences::set(Keys::preserveLinks(), false);
  EXPECT_TRUE(processUntil([&] { return !links->toggle()->isChecked(); }));
  kit::Preferences::set(Keys::preserveLinks(), true);
  EXPECT_TRUE(processUntil([&] { return links->toggle()->isChecked(); }));
  EXPECT_EQ(presenter.alerts.size(), 2u);
  presenter.dismissSheet();
  EXPECT_FALSE(links->isWarningPresented());
  kit::setUrlOpenerForTesting(nullptr);
}

}  // namespace
}  // namespace app
