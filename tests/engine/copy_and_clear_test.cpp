#include "engine/copy_and_clear.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>

#include "doubles/fake_workspace.h"
#include "doubles/memory_pasteboard.h"
#include "engine/content_markers.h"
#include "engine/preference_keys.h"
#include "kit/foundation/log.h"
#include "platform/core/clock.h"
#include "platform/core/executor.h"
#include "support/pasteboard_items.h"

namespace engine {
namespace {

using namespace std::chrono_literals;
using platform::MemoryPasteboard;
using platform::PasteboardItem;
namespace type = platform::PasteboardType;
namespace Keys = kit::Preferences::Keys;

// The main executor and the clock are the test's: time moves only when the test moves it.
class CopyAndClearTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::setMainExecutorForTesting(&main);
    platform::setClockForTesting(&clock);
    platform::Workspace::setSharedForTesting(&workspace);
    workspace.frontmost = platform::RunningApplication{.pid = 7, .bundleIdentifier = editor};
    kit::Preferences::removeAll();
    kit::Preferences::set(Keys::automaticallyClearFormatting(), false);
    controller = std::make_unique<PasteboardController>(pasteboard);
    pasteboardChanges = pasteboard.changes().sink([this](int64_t) {
      writes.push_back({elapsed, pasteboard.string(type::string)});
    });
  }
  void TearDown() override {
    controller.reset();
    advance(2s);
    platform::Workspace::setSharedForTesting(nullptr);
    platform::setClockForTesting(nullptr);
    platform::setMainExecutorForTesting(nullptr);
  }

  // Moves time in small steps; `at` runs once when its moment has come, as another application's copy.
  void advance(std::chrono::milliseconds by, std::chrono::milliseconds appCopiesAt = -1ms,
               std::function<void()> appCopy = {}) {
    main.runUntilIdle();
    for (auto end = elapsed + by; elapsed < end;) {
      if (appCopy && elapsed >= appCopiesAt) std::exchange(appCopy, nullptr)();
      clock.advance(5ms);
      elapsed += 5ms;
      main.runUntilIdle();
    }
  }

  bool cleaned() { return hasType(pasteboard, cleanedMarkerType()); }
  // A rich copy that `application` makes (none: an application that cannot be told).
  void copyIn(std::optional<std::string> application, const std::string& text) {
    pasteboard.setItems({richText("<b>" + text + "</b>", text)});
    pasteboard.setOwnerApplication(std::move(application));
  }
  // A clipboard manager that keeps the clipboard alive takes the content over, offering what it read.
  void managerTakesOver() {
    pasteboard.setItems(pasteboard.items());
    pasteboard.setOwnerApplication(manager);
  }
  // How many of the lines logged since the last call say that the copy of `application` is left alone as excluded.
  long skipsOfExcluded(const std::string& application) {
    const std::string line = "Skip: EXLUDED APP - BundleIdentifier(rawValue: \\\"" + application + "\\\")";
    auto entries = kit::debugLogStore().entries();
    kit::debugLogStore().clear();
    return std::count_if(entries.begin(), entries.end(),
                         [&](const std::string& entry) { return entry.find(line) != std::string::npos; });
  }

  // The application that has the keyboard focus when the shortcut is pressed, and another one.
  const std::string editor = "org.example.Editor";
  const std::string other = "org.example.Other";
  const std::string manager = "org.example.ClipboardManager";

  struct Write {
    std::chrono::milliseconds at;
    std::optional<std::string> text;
  };
  platform::ManualExecutor main;
  platform::VirtualClock clock;
  platform::FakeWorkspace workspace;
  MemoryPasteboard pasteboard;
  std::unique_ptr<PasteboardController> controller;
  std::vector<Write> writes;
  platform::rx::AnyCancellable pasteboardChanges;
  std::vector<uint16_t> posted;
  KeystrokePoster post = [this](uint16_t key) { posted.push_back(key); };
  std::chrono::milliseconds elapsed{0};
};

TEST_F(CopyAndClearTest, ACopyAnsweredLateIsCleanedAtTheNextCheckAndOnlyOnce) {
  pasteboard.setItems({richText("<b>old</b>", "old")});
  writes.clear();

  // Nothing is written while the application may be answering the keystroke: a write of ours right before its copy
  // can make it drop that copy.
  copyAndClearFormatting(*controller, post);
  EXPECT_EQ(posted, std::vector<uint16_t>{copyKeyCode});
  EXPECT_TRUE(writes.empty());

  advance(1500ms, 150ms, [&] { pasteboard.setItems({richText("<i>new</i> text", "new text")}); });
  // The application's copy at 0.15 s, ours at the check after 0.02 + 0.05 + 0.1 s; the later checks idle.
  ASSERT_EQ(writes.size(), 2u);
  EXPECT_EQ(writes[0].at, 150ms);
  EXPECT_EQ(writes[1].at, 170ms);
  EXPECT_EQ(writes[1].text, "new text");
  EXPECT_TRUE(cleaned());
}

TEST_F(CopyAndClearTest, WithoutACopyWhatWasThereIsCleanedAtTheLastCheck) {
  pasteboard.setItems({richText("<b>old</b>", "old")});
  writes.clear();

  copyAndClearFormatting(*controller, post);
  advance(1500ms);
  ASSERT_EQ(writes.size(), 1u);
  EXPECT_EQ(writes[0].at, 1170ms);
  EXPECT_EQ(writes[0].text, "old");
  EXPECT_TRUE(cleaned());
}

TEST_F(CopyAndClearTest, ACopyLaterThanTheLastCheckStaysAsItIs) {
  pasteboard.setItems({richText("<b>old</b>", "old")});
  controller->clearFormatting();
  writes.clear();

  copyAndClearFormatting(*controller, post);
  EXPECT_TRUE(writes.empty());  // already cleaned: nothing to do at once
  advance(1500ms, 1200ms, [&] { pasteboard.setItems({richText("<i>late</i>", "late")}); });
  ASSERT_EQ(writes.size(), 1u);
  EXPECT_FALSE(cleaned());
}

TEST_F(CopyAndClearTest, PressesOverlapAndOutlivingTheControllerIsHarmless) {
  pasteboard.setItems({richText("<b>a</b>", "a")});
  copyAndClearFormatting(*controller, post);
  advance(100ms);
  copyAndClearFormatting(*controller, post);
  advance(200ms, 50ms, [&] { pasteboard.setItems({richText("<b>b</b>", "b")}); });
  EXPECT_EQ(pasteboard.string(type::string), "b");
  EXPECT_TRUE(cleaned());

  // Checks still pending when the controller goes simply end.
  copyAndClearFormatting(*controller, post);
  controller.reset();
  pasteboard.setItems({richText("<b>c</b>", "c")});
  advance(1500ms);
  EXPECT_FALSE(cleaned());
}

TEST_F(CopyAndClearTest, ClearAndPastePastesTheCleanedTextWithTheSourceOfThisContent) {
  auto withSource = [](PasteboardItem item, const std::string& app) {
    item.types.push_back("org.nspasteboard.source");
    item.dataByType["org.nspasteboard.source"] = app;
    return item;
  };
  // An earlier pass leaves the source of its own content behind.
  pasteboard.setItems({withSource(richText("<b>earlier</b>", "earlier"), "org.example.Stale")});
  controller->clearFormatting();
  ASSERT_EQ(controller->pasteboardItemSourceApp(), "org.example.Stale");
  pasteboard.setItems({withSource(richText("<b>rich</b>", "rich"), "org.example.Writer")});

  bool cleanedBeforePaste = false;
  clearFormattingAndPaste(*controller, [&](uint16_t key) {
    posted.push_back(key);
    cleanedBeforePaste = cleaned() && pasteboard.string(type::string) == "rich";
  });
  EXPECT_EQ(posted, std::vector<uint16_t>{pasteKeyCode});
  EXPECT_TRUE(cleanedBeforePaste);
  EXPECT_EQ(controller->pasteboardItemSourceApp(), "org.example.Writer");

  // Cleaned content is pasted as it is.
  writes.clear();
  clearFormattingAndPaste(*controller, post);
  EXPECT_TRUE(writes.empty());
  EXPECT_EQ(posted.size(), 2u);
}

TEST_F(CopyAndClearTest, ACopyMadeInAnotherApplicationAfterThePressIsLeftToTheUsualRules) {
  // The shortcut is pressed in the editor, which has nothing selected; a moment later the user copies elsewhere.
  auto copyElsewhereIsCleaned = [&](std::chrono::milliseconds after, std::optional<std::string> application) {
    copyIn(editor, "before");
    controller->clearFormatting();
    copyAndClearFormatting(*controller, post);
    advance(5s, after, [&] { copyIn(application, "elsewhere"); });
    return cleaned();
  };
  for (auto after : {300ms, 800ms, 1100ms}) EXPECT_FALSE(copyElsewhereIsCleaned(after, other)) << after.count();
  // Also when a clipboard manager takes it over right after, and when its client cannot be told once the manager took
  // it (a client that quits when it loses the clipboard).
  auto takenOverCopyElsewhereIsCleaned = [&](std::optional<std::string> application) {
    copyIn(editor, "before");
    controller->clearFormatting();
    copyAndClearFormatting(*controller, post);
    advance(500ms);
    copyIn(std::move(application), "elsewhere");
    advance(5ms);
    managerTakesOver();
    advance(5s);
    return cleaned();
  };
  EXPECT_FALSE(takenOverCopyElsewhereIsCleaned(other));
  EXPECT_FALSE(takenOverCopyElsewhereIsCleaned(std::nullopt));
  // Where the copy's application, or the one the keystroke went to, cannot be told, the copy is taken for the answer.
  EXPECT_TRUE(copyElsewhereIsCleaned(300ms, std::nullopt));
  auto focused = std::exchange(workspace.frontmost, std::nullopt);
  EXPECT_TRUE(copyElsewhereIsCleaned(300ms, other));
  workspace.frontmost = focused;

  // With automatic clearing on, the watcher decides on it as on any copy: cleaned, unless its application is excluded.
  kit::Preferences::set(Keys::automaticallyClearFormatting(), true);
  EXPECT_TRUE(copyElsewhereIsCleaned(300ms, other));
  kit::Preferences::set(Keys::excludedApps(), {kit::BundleIdentifier(other)});
  EXPECT_FALSE(copyElsewhereIsCleaned(300ms, other));
}

TEST_F(CopyAndClearTest, ACopyThatAClipboardManagerTookOverRightAfterItWasMadeIsStillTheOneAskedFor) {
  // The editor copies at 0.375 s, after the fourth check; the manager takes the copy over `after` that.
  auto cleanedWhenTakenOverAfter = [&](std::chrono::milliseconds after) {
    copyIn(other, "before");
    controller->clearFormatting();
    controller->forgetSourceApp();
    copyAndClearFormatting(*controller, post);
    advance(375ms);
    copyIn(editor, "asked");
    advance(after);
    managerTakesOver();
    advance(2s);
    return cleaned() && pasteboard.string(type::string) == "asked";
  };
  EXPECT_TRUE(cleanedWhenTakenOverAfter(5ms));
  // For the exclusion of applications and the user's script, the copy is the editor's, not the manager's.
  EXPECT_EQ(controller->pasteboardItemSourceApp(), editor);
  EXPECT_TRUE(cleanedWhenTakenOverAfter(takeOverWindow - 5ms));
  // Later than a person could switch applications and copy: another application's copy.
  EXPECT_FALSE(cleanedWhenTakenOverAfter(takeOverWindow + 30ms));

  // The manager takes our write over too, without our marker, as managers keeping only some types do: that is no
  // copy of the editor's to clean again.
  copyAndClearFormatting(*controller, post);
  advance(150ms);
  copyIn(editor, "once");
  advance(5ms);
  managerTakesOver();
  writes.clear();
  advance(20ms);
  ASSERT_TRUE(cleaned());
  pasteboard.setItems({itemOf({{type::string, "once"}})});
  pasteboard.setOwnerApplication(manager);
  advance(2s);
  EXPECT_EQ(writes.size(), 2u) << "our write and the manager's, and no other";
  EXPECT_FALSE(cleaned());

  // The asked copy of an excluded application is cleaned all the same, taken over or not, with no line of skipping.
  kit::Preferences::set(Keys::excludedApps(), {kit::BundleIdentifier(editor)});
  skipsOfExcluded(editor);
  copyAndClearFormatting(*controller, post);
  advance(150ms);
  copyIn(editor, "secret");
  advance(5ms);
  managerTakesOver();
  advance(5s);
  EXPECT_TRUE(cleaned());
  EXPECT_EQ(pasteboard.string(type::string), "secret");
  EXPECT_EQ(controller->pasteboardItemSourceApp(), editor);
  EXPECT_EQ(skipsOfExcluded(editor), 0);
}

// The exclusion list is automatic clearing's: every command the user gives cleans such a copy, and says nothing of
// skipping it. The commands that clean what is there name the source its markers name, and no other.
TEST_F(CopyAndClearTest, EveryCommandCleansACopyOfAnExcludedApplicationWhichOnlyAutomaticClearingLeavesAlone) {
  const std::string vault = "org.example.Vault";
  kit::Preferences::set(Keys::excludedApps(), {kit::BundleIdentifier(vault)});
  workspace.frontmost = platform::RunningApplication{.pid = 8, .bundleIdentifier = vault};
  skipsOfExcluded(vault);

  // Copy and clear: the copy it asked for, and, with nothing selected, what was there at the press; the source is the
  // full lookup's, here the clipboard's owner.
  copyAndClearFormatting(*controller, post);
  advance(5s, 150ms, [&] { copyIn(vault, "secret"); });
  EXPECT_TRUE(cleaned());
  EXPECT_EQ(controller->pasteboardItemSourceApp(), vault);
  copyIn(vault, "there");
  copyAndClearFormatting(*controller, post);
  advance(5s);
  EXPECT_TRUE(cleaned());
  EXPECT_EQ(pasteboard.string(type::string), "there");

  // "Clear Formatting Now", the intent and the command line: the source of an earlier pass is forgotten, and the owner
  // is not asked.
  copyIn(vault, "now");
  controller->clearFormattingNow();
  advance(100ms);
  EXPECT_TRUE(cleaned());
  EXPECT_EQ(controller->pasteboardItemSourceApp(), std::nullopt);
  auto marked = richText("<b>marked</b>", "marked");
  marked.types.push_back("org.nspasteboard.source");
  marked.dataByType["org.nspasteboard.source"] = vault;
  pasteboard.setItems({marked});
  pasteboard.setOwnerApplication(other);
  controller->clearFormattingNow();
  advance(100ms);
  EXPECT_TRUE(cleaned());
  EXPECT_EQ(controller->pasteboardItemSourceApp(), vault);

  // Clear and paste pastes the cleaned text.
  copyIn(vault, "pasted");
  bool cleanedBeforePaste = false;
  clearFormattingAndPaste(*controller, [&](uint16_t) { cleanedBeforePaste = cleaned(); });
  advance(100ms);
  EXPECT_TRUE(cleanedBeforePaste);
  EXPECT_EQ(pasteboard.string(type::string), "pasted");
  EXPECT_EQ(controller->pasteboardItemSourceApp(), std::nullopt);
  EXPECT_EQ(skipsOfExcluded(vault), 0);

  // Automatic clearing leaves it as made, and says why.
  kit::Preferences::set(Keys::automaticallyClearFormatting(), true);
  advance(100ms);
  copyIn(vault, "automatic");
  advance(2s);
  EXPECT_FALSE(cleaned());
  EXPECT_EQ(skipsOfExcluded(vault), 1);
}

}  // namespace
}  // namespace engine
