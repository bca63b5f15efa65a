#include "engine/copy_and_clear.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include "doubles/memory_pasteboard.h"
#include "engine/content_markers.h"
#include "engine/preference_keys.h"
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

  struct Write {
    std::chrono::milliseconds at;
    std::optional<std::string> text;
  };
  platform::ManualExecutor main;
  platform::VirtualClock clock;
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

}  // namespace
}  // namespace engine
