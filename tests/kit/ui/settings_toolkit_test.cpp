// The building blocks of settings windows: Markdown texts, buttons, popovers, window and on-screen tracking,
// tab labels, list edits and the once-a-second schedule.
#include <gtest/gtest.h>

#include <QApplication>
#include <QEnterEvent>
#include <QLabel>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QVBoxLayout>
#include <set>
#include <string>
#include <vector>

#include "kit/ui/every_second_timeline.h"
#include "kit/ui/hover_tooltip.h"
#include "kit/ui/info_popover_button.h"
#include "kit/ui/link_button.h"
#include "kit/ui/native_button.h"
#include "kit/ui/natural_languages.h"
#include "kit/ui/on_screen_tracking.h"
#include "kit/ui/settings_tab_kind.h"
#include "kit/ui/text_styles.h"
#include "kit/ui/url_opening.h"
#include "kit/ui/view_building_blocks.h"
#include "kit/ui/view_conditionals.h"
#include "kit/ui/window_access.h"

namespace kit {
namespace {

using namespace std::chrono_literals;

std::vector<std::string> renderedLines(const std::string& markdown) {
  QTextDocument document;
  document.setMarkdown(QString::fromStdString(markdown));
  std::vector<std::string> lines;
  for (const QString& line : document.toPlainText().split(QChar::LineSeparator).join('\n').split('\n'))
    lines.push_back(line.toStdString());
  return lines;
}

TEST(MarkdownTextTest, KeepsLinesBlanksAndListMarkersAsWrittenWhileInlineMarkupRenders) {
  // Paragraphs and hard breaks both read as new lines; the kept blanks read as blanks.
  const std::string text =
      "**Before**\n\n• A\n\t‣ A2\n• B\n\n\n**After**\n\n- A\n\t- A2\n1. One\nOriginal:   ~~x~~ `y`";
  EXPECT_EQ(renderedLines(markdownKeepingLines(text)),
            (std::vector<std::string>{"Before", "• A", "    ‣ A2", "• B", "After", "- A", "    - A2", "1. One",
                                      "Original:   x y"}));

  QLabel* label = markdownLabel("~~Ducks~~ **are** [fun](https://example.com) `code`");
  QTextDocument document;
  document.setMarkdown(label->text());
  QTextBlock::iterator fragment = document.begin().begin();
  EXPECT_TRUE(fragment.fragment().charFormat().fontStrikeOut());
  bool bold = false, link = false, code = false;
  for (; !fragment.atEnd(); ++fragment) {
    const QTextCharFormat format = fragment.fragment().charFormat();
    bold = bold || format.fontWeight() == QFont::Bold;
    link = link || format.anchorHref() == "https://example.com";
    code = code || format.fontFixedPitch();
  }
  EXPECT_TRUE(bold && link && code);
  EXPECT_TRUE(label->wordWrap());
  delete label;
}

TEST(NativeButtonTest, KeyEquivalentsDestructiveTitlesAndSizes) {
  EXPECT_EQ(keyEquivalentFromRaw("\r"), KeyEquivalent::return_);
  EXPECT_EQ(keyEquivalentFromRaw("\x1b"), KeyEquivalent::escape);
  EXPECT_EQ(keyEquivalentFromRaw("\n"), std::nullopt);

  QWidget window;
  auto* layout = new QHBoxLayout(&window);
  int cancelled = 0;
  auto* done = new NativeButton({.title = "Done", .keyEquivalent = KeyEquivalent::return_});
  auto* cancel =
      new NativeButton({.title = "Cancel", .keyEquivalent = KeyEquivalent::escape, .action = [&] { ++cancelled; }});
  auto* remove = new NativeButton({.title = "Delete", .hasDestructiveAction = true, .isResizable = true});
  auto* help = new NativeButton({.title = "Help", .bezelStyle = BezelStyle::help});
  for (NativeButton* button : {done, cancel, remove, help}) layout->addWidget(button);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

  EXPECT_TRUE(done->isDefault());
  EXPECT_FALSE(cancel->isDefault());
  QTest::keyClick(&window, Qt::Key_Escape);
  EXPECT_EQ(cancelled, 1);
  const QColor title = remove->palette().color(QPalette::ButtonText);
  EXPECT_GT(title.red(), title.green() + 40);
  EXPECT_EQ(remove->sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);
  EXPECT_EQ(done->sizePolicy().horizontalPolicy(), QSizePolicy::Fixed);
  EXPECT_EQ(help->width(), help->height());
  EXPECT_TRUE(help->text().isEmpty());
  EXPECT_EQ(help->accessibleName(), "Help");
}

TEST(InfoPopoverButtonTest, OpensItsContentUnderTheButtonAtTheGivenWidthWithItsOwnFont) {
  QWidget window;
  QFont bold = window.font();
  bold.setBold(true);
  window.setFont(bold);
  auto* layout = new QVBoxLayout(&window);
  std::vector<bool> actions;
  const std::string longText(40, 'x');
  auto* button = new InfoPopoverButton(
      [&] {
        auto* label = new QLabel(QString::fromStdString(longText + " " + longText + " " + longText));
        setMultilineFixedSize(*label);
        return label;
      },
      200, [&](bool open) { actions.push_back(open); });
  layout->addWidget(button);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

  EXPECT_FALSE(button->isPopoverPresented());
  button->click();
  ASSERT_TRUE(button->isPopoverPresented());
  QWidget* content = button->popover()->content();
  EXPECT_EQ(content->width(), 200);
  EXPECT_GT(content->height(), 2 * content->fontMetrics().height());  // wrapped, not cut
  EXPECT_FALSE(content->font().bold());
  EXPECT_GE(button->popover()->y(), button->mapToGlobal(QPoint(0, button->height())).y());

  Popover* first = button->popover();
  button->click();
  EXPECT_EQ(button->popover(), first);
  EXPECT_EQ(actions, (std::vector<bool>{true, true}));

  QTest::keyClick(first, Qt::Key_Escape);
  EXPECT_FALSE(button->isPopoverPresented());

  // Without a width the text keeps its natural size.
  auto* natural = InfoPopoverButton::withMarkdown("**Before** and a rather long line that does not wrap at all");
  layout->addWidget(natural);
  natural->click();
  auto* label = qobject_cast<QLabel*>(natural->popover()->content());
  ASSERT_NE(label, nullptr);
  EXPECT_FALSE(label->wordWrap());
  natural->popover()->close();
}

class HoverTooltipTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto* layout = new QVBoxLayout(&window);
    anchor = new QLabel("Anchor");
    layout->addWidget(anchor);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    tooltip = new HoverTooltip(*anchor, [] { return new QLabel("Explanation"); });
  }
  static void hover(QWidget* widget, bool inside) {
    if (inside) {
      QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
      QApplication::sendEvent(widget, &enter);
    } else {
      QEvent leave(QEvent::Leave);
      QApplication::sendEvent(widget, &leave);
    }
  }

  QWidget window;
  QLabel* anchor = nullptr;
  HoverTooltip* tooltip = nullptr;
};

TEST_F(HoverTooltipTest, OpensAfterARestAndStaysWhileThePointerIsOnIt) {
  hover(anchor, true);
  hover(anchor, false);
  QTest::qWait(500);
  EXPECT_FALSE(tooltip->isPresented());  // a passing pointer opens nothing

  hover(anchor, true);
  QTest::qWait(150);
  EXPECT_FALSE(tooltip->isPresented());
  ASSERT_TRUE(QTest::qWaitFor([&] { return tooltip->isPresented(); }, 1000));

  // Onto the popover: it stays past the delay, then goes at once when the pointer leaves it.
  hover(anchor, false);
  hover(tooltip->popover(), true);
  QTest::qWait(500);
  ASSERT_TRUE(tooltip->isPresented());
  hover(tooltip->popover(), false);
  EXPECT_FALSE(tooltip->isPresented());

  // Leaving the widget for good closes it after the delay; a deactivated window closes it on the next turn.
  hover(anchor, true);
  ASSERT_TRUE(QTest::qWaitFor([&] { return tooltip->isPresented(); }, 1000));
  hover(anchor, false);
  EXPECT_TRUE(tooltip->isPresented());
  EXPECT_TRUE(QTest::qWaitFor([&] { return !tooltip->isPresented(); }, 1000));
  hover(anchor, true);
  ASSERT_TRUE(QTest::qWaitFor([&] { return tooltip->isPresented(); }, 1000));
  QEvent deactivate(QEvent::WindowDeactivate);
  QApplication::sendEvent(&window, &deactivate);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !tooltip->isPresented(); }, 200));
}

TEST(WindowTrackingTest, OnScreenChangesAndTheHostingWindowsLevel) {
  QWidget window;
  auto* layout = new QVBoxLayout(&window);
  auto* content = new QLabel("Content");
  std::vector<bool> onScreen;
  onScreenChange(*content, [&](bool shown) { onScreen.push_back(shown); });
  setHostingWindowLevel(*content, WindowLevel::floating);
  setWindowIsMinimizable(*content, false);
  layout->addWidget(content);
  EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_FALSE(window.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowCloseButtonHint));

  window.show();
  window.hide();
  window.show();
  EXPECT_EQ(onScreen, (std::vector<bool>{true, false, true}));

  // Moved to another window, the content sets that window's level.
  QWidget other;
  auto* otherLayout = new QVBoxLayout(&other);
  otherLayout->addWidget(content);
  EXPECT_TRUE(other.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST(SettingsTabKindTest, FourteenKindsWithTitlesAndSymbols) {
  std::vector<std::string> titles;
  for (int value = 0; value < settingsTabKindCount; ++value)
    titles.push_back(settingsTabLabel(static_cast<SettingsTabKind>(value)).title);
  EXPECT_EQ(titles, (std::vector<std::string>{"General", "Advanced", "Shortcuts", "Appearance", "Menu Bar", "Menu",
                                              "Notifications", "Calendar", "Calendars", "Rules", "Browsers",
                                              "Time Zones", "Extras", "Exclude"}));
  EXPECT_EQ(settingsTabLabel(SettingsTabKind::advanced).symbolName, "gearshape.2");
  EXPECT_EQ(settingsTabLabel(SettingsTabKind::calendars).symbolName, "calendar");
  for (auto kind :
       {SettingsTabKind::general, SettingsTabKind::shortcuts, SettingsTabKind::exclude, SettingsTabKind::extras})
    EXPECT_FALSE(settingsTabIcon(kind).pixmap(24, 24).isNull());
}

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

TEST(SmallPiecesTest, LinksOptionalLabelsTheScheduleAndTheLanguageList) {
  std::vector<std::string> opened;
  setUrlOpenerForTesting([&](const platform::Url& url) {
    opened.push_back(url.absoluteString());
    return false;  // nothing could open it: no message either
  });
  LinkButton link("Learn More", *platform::Url::parse("https://example.com/quillet#word-bug"));
  EXPECT_EQ(link.text(), "Learn More");
  link.click();
  EXPECT_EQ(opened, std::vector<std::string>{"https://example.com/quillet#word-bug"});
  setUrlOpenerForTesting(nullptr);

  EXPECT_EQ(optionalLabel(std::nullopt), nullptr);
  std::unique_ptr<QLabel> empty(optionalLabel(""));
  ASSERT_NE(empty, nullptr);
  EXPECT_TRUE(empty->text().isEmpty());

  const platform::Date now(std::chrono::seconds(1'000'000));
  EverySecondimelineSchedule schedule;
  EXPECT_EQ(schedule.entries(now, TimelineMode::normal, 3), (std::vector<platform::Date>{now, now + 1s, now + 2s}));
  EXPECT_EQ(schedule.entries(now, TimelineMode::lowFrequency, 2), (std::vector<platform::Date>{now, now + 30s}));
  int updates = 0;
  QObject owner;
  auto* timeline = new Timeline(&owner, [&] { ++updates; });
  EXPECT_EQ(updates, 1);  // at once
  EXPECT_TRUE(QTest::qWaitFor([&] { return updates == 2; }, 1500));
  timeline->setMode(TimelineMode::lowFrequency);
  EXPECT_EQ(timeline->currentInterval(), 30s);

  const auto& languages = naturalLanguages();
  ASSERT_EQ(languages.size(), 56u);
  EXPECT_EQ(languages.front().englishName, "Amharic");
  EXPECT_EQ(languages.back().englishName, "Vietnamese");
}

}  // namespace
}  // namespace kit
