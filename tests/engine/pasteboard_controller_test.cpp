#include "engine/pasteboard_controller.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "doubles/fake_workspace.h"
#include "doubles/memory_pasteboard.h"
#include "engine/content_markers.h"
#include "engine/preference_keys.h"
#include "kit/foundation/log.h"
#include "kit/foundation/pasteboard_markers.h"
#include "platform/core/clock.h"
#include "platform/system/modifier_flags.h"
#include "support/pasteboard_items.h"
#include "support/recording_alert_presenter.h"
#include "support/rich_text_sample.h"

namespace engine {
namespace {

using platform::MemoryPasteboard;
using platform::PasteboardItem;
namespace type = platform::PasteboardType;
namespace Keys = kit::Preferences::Keys;

// Runs `whileReading` once, when the plain text is read (after it was read).
class PasteboardWithReadHook final : public platform::Pasteboard {
 public:
  ~PasteboardWithReadHook() override { endWeakHolds(); }
  MemoryPasteboard inner;
  std::function<void()> whileReading;
  bool lastChangeRead = true;  // false: the owner of the last copy does not hand it over
  void whenLastChangeIsRead(std::chrono::milliseconds, std::function<void(bool read)> then) override {
    then(lastChangeRead);
  }
  int64_t changeCount() const override { return inner.changeCount(); }
  std::vector<std::string> types() override { return inner.types(); }
  std::optional<platform::Bytes> data(std::string_view type) override {
    auto result = inner.data(type);
    if (type == type::string) {
      if (auto hook = std::exchange(whileReading, nullptr)) hook();
    }
    return result;
  }
  std::vector<PasteboardItem> items() override { return inner.items(); }
  bool write(std::vector<platform::PasteboardEntry> entries, std::optional<int64_t> onlyIfChangeCountIs) override {
    return inner.write(std::move(entries), onlyIfChangeCountIs);
  }
  platform::rx::Publisher<int64_t> changes() override { return inner.changes(); }
};

// Another application writes its copy while the engine is still reading the previous one.
void writeNewerCopyWhileReading(PasteboardWithReadHook& pasteboard, std::function<void()> then = {}) {
  pasteboard.inner.setItems({itemOf({{type::html, "<b>older</b>"}, {type::string, "older"}})});
  pasteboard.whileReading = [&pasteboard, then = std::move(then)] {
    pasteboard.inner.setItems({itemOf({{type::html, "<b>newer</b>"}, {type::string, "newer"}})});
    if (then) then();
  };
}

class ControllerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    kit::Preferences::removeAll();
    kit::Preferences::set(Keys::automaticallyClearFormatting(), false);
    platform::setMainExecutorForTesting(&main);
    kit::setAlertPresenter(&alerts);
  }
  void TearDown() override {
    main.runUntilIdle();
    kit::setAlertPresenter(nullptr);
    platform::setMainExecutorForTesting(nullptr);
  }

  // Runs the main loop until `done` holds, as passes that clean in the background report to it.
  bool runUntil(const std::function<bool()>& done) {
    for (auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
         std::chrono::steady_clock::now() < deadline;) {
      main.runUntilIdle();
      if (done()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
  }
  // Runs the main loop until the pass that cleans in the background has written the clipboard.
  bool cleaned(platform::Pasteboard& pasteboard) {
    return runUntil([&] { return hasType(pasteboard, cleanedMarkerType()); });
  }

  platform::ManualExecutor main;
  RecordingAlertPresenter alerts;
};

TEST_F(ControllerTest, APassWhoseContentWasReplacedMeanwhileWritesNothing) {
  PasteboardWithReadHook pasteboard;
  writeNewerCopyWhileReading(pasteboard);
  PasteboardController controller(pasteboard);
  controller.clearFormatting();
  EXPECT_EQ(pasteboard.string(type::string), "newer");
  EXPECT_FALSE(hasType(pasteboard, cleanedMarkerType()));

  // The next pass cleans the newer copy.
  controller.clearFormatting();
  EXPECT_EQ(pasteboard.types(),
            (std::vector<std::string>{type::string, cleanedMarkerType(), "x.nspasteboard.ModifiedType"}));
}

TEST_F(ControllerTest, APassKeepsTheSettingsItBeganWithWhateverChangesMeanwhile) {
  PasteboardWithReadHook pasteboard;
  pasteboard.inner.setItems({itemOf({{type::html, "<b> a </b>"}, {type::string, " a "}})});
  PasteboardController controller(pasteboard);
  ClearingSettings settings;
  settings.transforms.trimWhitespace = true;
  // Switched in the settings window while the pass reads the clipboard: the next pass sees it, this one does not.
  pasteboard.whileReading = [] {
    kit::Preferences::set(Keys::trimLeadingAndTrailingWhitespace(), false);
    kit::Preferences::set(Keys::improveCompatibilityWithAppendOperations(), true);
  };
  controller.clearFormatting(settings);
  EXPECT_EQ(pasteboard.string(type::string), "a");
  EXPECT_FALSE(hasType(pasteboard, kit::PasteboardType::autoGenerated));

  pasteboard.inner.setItems({itemOf({{type::html, "<b> b </b>"}, {type::string, " b "}})});
  controller.clearFormatting();
  EXPECT_EQ(pasteboard.string(type::string), " b ");
  EXPECT_TRUE(hasType(pasteboard, kit::PasteboardType::autoGenerated));
}

TEST_F(ControllerTest, APassAskedForDuringAnotherRunsRightAfterItNotInsideIt) {
  // The watcher hearing of the newer copy, and a check after a synthetic copy, while a decision reads.
  for (bool onDemand : {false, true}) {
    SCOPED_TRACE(onDemand ? "a pass on demand" : "the watcher's decision");
    PasteboardWithReadHook pasteboard;
    std::optional<bool> cleanedInside;
    std::optional<PasteboardController> controller;
    writeNewerCopyWhileReading(pasteboard, [&] {
      onDemand ? controller->clearAskedCopy({pasteboard.changeCount()}) : controller->pasteboardDidChange();
      cleanedInside = hasType(pasteboard.inner, cleanedMarkerType());
    });
    controller.emplace(pasteboard);
    controller->pasteboardDidChange();
    EXPECT_EQ(cleanedInside, false);
    EXPECT_EQ(pasteboard.string(type::string), "newer");
    EXPECT_TRUE(hasType(pasteboard, cleanedMarkerType()));
  }
}

TEST_F(ControllerTest, WhileTheScriptIsEditedThePassSkipsItAndScriptsSeeOurOwnId) {
  kit::Preferences::set(Keys::transformTextWithJavaScript(), true);
  kit::Preferences::set(Keys::javaScriptCode(), std::string("return $.sourceApp + ':' + $.text"));
  MemoryPasteboard pasteboard;
  pasteboard.setItems(
      {itemOf({{type::html, "<b>t</b>"}, {type::string, "t"}, {"org.nspasteboard.source", "org.example.A"}})});
  PasteboardController controller(pasteboard);
  controller.setEditingCode(true);
  controller.clearFormatting();
  EXPECT_EQ(pasteboard.string(type::string), "t");
  EXPECT_EQ(controller.runJavaScript("return $.sourceApp", ""), "com.kestrova.Quillet");

  controller.setEditingCode(false);
  pasteboard.setItems(
      {itemOf({{type::html, "<b>u</b>"}, {type::string, "u"}, {"org.nspasteboard.source", "org.example.B"}})});
  controller.forgetSourceApp();
  controller.clearFormatting();
  ASSERT_TRUE(cleaned(pasteboard));
  EXPECT_EQ(pasteboard.string(type::string), "org.example.B:u");
  EXPECT_EQ(pasteboard.string("org.nspasteboard.source"), "org.example.B");
}

// The main loop never waits on the script worker: the pass hands the script to the background and the clipboard is
// written once it is done; here it is stopped at its time limit, so the text is as the other transforms made it.
TEST_F(ControllerTest, APassWithAScriptLeavesTheMainLoopFreeAndPrintsNothingOfAConcealedCopy) {
  kit::Preferences::set(Keys::transformTextWithJavaScript(), true);
  kit::Preferences::set(Keys::trimLeadingAndTrailingWhitespace(), true);
  kit::Preferences::set(Keys::javaScriptCode(), std::string("console.log('seen: ' + $.text); while (true) {}"));
  MemoryPasteboard pasteboard;
  pasteboard.setItems({itemOf(
      {{type::html, "<b> hunter2 </b>"}, {type::string, " hunter2 "}, {"org.nspasteboard.ConcealedType", ""}})});
  PasteboardController controller(pasteboard);
  testing::internal::CaptureStdout();
  controller.clearFormatting();
  EXPECT_FALSE(hasType(pasteboard, cleanedMarkerType())) << "the pass waited for the script";
  ASSERT_TRUE(cleaned(pasteboard));
  const std::string printed = testing::internal::GetCapturedStdout();
  EXPECT_EQ(pasteboard.string(type::string), "hunter2");
  EXPECT_EQ(printed.find("hunter2"), std::string::npos) << printed;
  main.runUntilIdle();
  EXPECT_EQ(alerts.messages(), std::vector<std::string>{"[JavaScript Exception] Script took longer than 1 second."});

  // A copy not marked concealed shows its lines.
  kit::Preferences::set(Keys::javaScriptCode(), std::string("console.log('seen: ' + $.text);"));
  pasteboard.setItems({itemOf({{type::html, "<b>plain</b>"}, {type::string, "plain"}})});
  testing::internal::CaptureStdout();
  controller.clearFormatting();
  ASSERT_TRUE(cleaned(pasteboard));
  EXPECT_NE(testing::internal::GetCapturedStdout().find("JSContext - console.log: seen: plain"), std::string::npos);
}

// The script step that the pass runs, on its own, as the controller offers it.
TEST_F(ControllerTest, TheScriptStepPrintsNothingOfAConcealedCopyAndShowsOneFailureAtATime) {
  kit::Preferences::set(Keys::transformTextWithJavaScript(), true);
  kit::Preferences::set(Keys::javaScriptCode(),
                        std::string("console.log('seen: ' + $.text); return $.text.toUpperCase()"));
  MemoryPasteboard pasteboard;
  pasteboard.setItems({itemOf({{type::string, "hunter2"}, {"org.nspasteboard.ConcealedType", ""}})});
  PasteboardController controller(pasteboard);
  testing::internal::CaptureStdout();
  EXPECT_EQ(controller.transformTextWithJavaScript("hunter2"), "HUNTER2");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

  // A script that is blank by character is not run: this one would not even parse.
  kit::Preferences::set(Keys::javaScriptCode(), std::string("\u00A0\u0301\n"));
  EXPECT_EQ(controller.transformTextWithJavaScript("t"), "t");
  main.runUntilIdle();
  EXPECT_TRUE(alerts.messages().empty());

  // A failure keeps the text and shows its error; one that comes while that alert is open shows none.
  kit::Preferences::set(Keys::javaScriptCode(), std::string("throw new TypeError('boom')"));
  std::optional<std::string> keptWhileOpen;
  alerts.whileOpen = [&] { keptWhileOpen = controller.transformTextWithJavaScript("b"); };
  EXPECT_EQ(controller.transformTextWithJavaScript("a"), "a");
  main.runUntilIdle();
  EXPECT_EQ(keptWhileOpen, "b");
  EXPECT_EQ(alerts.messages(), std::vector<std::string>{"[JavaScript Exception] boom"});
  EXPECT_EQ(controller.transformTextWithJavaScript("c"), "c");
  main.runUntilIdle();
  EXPECT_EQ(alerts.messages().size(), 2u) << "once the alert is dismissed, the next failure shows its own";
}

// What the clipboard held when each pass said it was done: a paste or a caller's answer follows that moment.
class PassCompletions {
 public:
  explicit PassCompletions(platform::Pasteboard& pasteboard) : pasteboard_(pasteboard) {}
  ClearingCompletion operator()(const std::string& pass) {
    return [this, pass](ClearingOutcome outcome) {
      said.push_back(pass + (outcome == ClearingOutcome::written
                                 ? " wrote " + pasteboard_.string(type::string).value_or("nothing readable")
                                 : " wrote nothing"));
    };
  }
  std::vector<std::string> said;

 private:
  platform::Pasteboard& pasteboard_;
};

TEST_F(ControllerTest, APassOffTheMainThreadIsDoneOnceItWroteOrWasOvertaken) {
  kit::Preferences::set(Keys::transformTextWithJavaScript(), true);
  kit::Preferences::set(Keys::javaScriptCode(), std::string("return $.text.toUpperCase()"));
  MemoryPasteboard pasteboard;
  PasteboardController controller(pasteboard);
  PassCompletions completions(pasteboard);
  pasteboard.setItems({itemOf({{type::html, "<b>a</b>"}, {type::string, "a"}})});
  controller.clearFormatting(ClearingSettings::current(), completions("first"));
  // Asked again while the script runs: done with that pass, not before it.
  controller.clearFormattingNow(completions("again"));
  EXPECT_TRUE(completions.said.empty());
  ASSERT_TRUE(runUntil([&] { return completions.said.size() == 2; }));
  EXPECT_EQ(completions.said, (std::vector<std::string>{"first wrote A", "again wrote A"}));

  // A newer copy overtakes the pass on the older one.
  completions.said.clear();
  pasteboard.setItems({itemOf({{type::html, "<b>b</b>"}, {type::string, "b"}})});
  controller.clearFormatting(ClearingSettings::current(), completions("older"));
  pasteboard.setItems({itemOf({{type::html, "<b>c</b>"}, {type::string, "c"}})});
  controller.clearFormattingNow(completions("newer"));
  ASSERT_TRUE(runUntil([&] { return completions.said.size() == 2; }));
  EXPECT_EQ(completions.said, (std::vector<std::string>{"older wrote nothing", "newer wrote C"}));
}

TEST_F(ControllerTest, ACommandOnACopyThatIsNotHandedOverWritesNothingAndSaysSo) {
  PasteboardWithReadHook pasteboard;
  pasteboard.inner.setItems({itemOf({{type::html, "<b>a</b>"}, {type::string, "a"}})});
  pasteboard.lastChangeRead = false;
  PasteboardController controller(pasteboard);
  PassCompletions completions(pasteboard);
  kit::debugLogStore().clear();
  controller.clearFormattingNow(completions("command"));
  EXPECT_EQ(completions.said, std::vector<std::string>{"command wrote nothing"});
  EXPECT_FALSE(hasType(pasteboard, cleanedMarkerType()));
  const auto logged = kit::debugLogStore().entries();
  ASSERT_EQ(logged.size(), 1u);
  EXPECT_NE(logged[0].find("did not hand its copy over within 2 seconds"), std::string::npos) << logged[0];
}

TEST_F(ControllerTest, ALinkThatOpensABlockLeavesTheBlockBreakOutsideBothOutputs) {
  kit::Preferences::set(Keys::preserveLinks(), true);
  const std::string rtfLink = richtext_test::rtfLink("https://example.com/para", "docs");
  const std::string htmlLink = richtext_test::htmlLink("https://example.com/para", "docs");
  struct Case {
    std::string type, input, rtf, html;
  };
  const Case cases[] = {
      {type::html, "<p>Intro</p><p>" + htmlLink + " tail</p>", "Intro\\par\n" + rtfLink + " tail\\par\n",
       "Intro<br>" + htmlLink + " tail<br>"},
      {type::html, "<p>Intro</p><h2>" + htmlLink + " tail</h2>", "Intro\\par\n" + rtfLink + " tail\\par\n",
       "Intro<br>" + htmlLink + " tail<br>"},
      {type::html, "<div>Intro</div><div>" + htmlLink + " tail</div>", "Intro\\par\n" + rtfLink + " tail\\par\n",
       "Intro<br>" + htmlLink + " tail<br>"},
      {type::html, "Intro<p><span>" + htmlLink + "</span> tail</p>", "Intro\\par\n" + rtfLink + " tail\\par\n",
       "Intro<br>" + htmlLink + " tail<br>"},
      {type::html, "<table><tr><td>Intro</td></tr><tr><td>" + htmlLink + " tail</td></tr></table>",
       "Intro\\par\n" + rtfLink + " tail\\par\n", "Intro<br>" + htmlLink + " tail<br>"},
      // Where the line already ends before the link.
      {type::html, "Intro<br>" + htmlLink + " tail", "Intro\\line " + rtfLink + " tail",
       "Intro<br>" + htmlLink + " tail"},
      {type::html, "<ul><li>Intro</li><li>" + htmlLink + " tail</li></ul>",
       "\\tab \\u8226 \\tab Intro\\par\n\\tab \\u8226 \\tab " + rtfLink + " tail\\par\n",
       "&#9;•&#9;Intro<br>&#9;•&#9;" + htmlLink + " tail<br>"},
      {type::html, "<table><tr><td>Intro</td><td>" + htmlLink + " tail</td></tr></table>",
       "Intro\\tab " + rtfLink + " tail\\par\n", "Intro&#9;" + htmlLink + " tail<br>"},
      {type::rtf,
       "{\\rtf1 Intro\\par {\\field{\\*\\fldinst HYPERLINK \"https://example.com/para\"}{\\fldrslt docs}} tail}",
       "Intro\\par\n" + rtfLink + " tail", "Intro<br>" + htmlLink + " tail"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    MemoryPasteboard pasteboard;
    pasteboard.setItems({itemOf({{c.type, c.input}, {type::string, "Intro docs tail"}})});
    PasteboardController controller(pasteboard);
    controller.clearFormatting();
    EXPECT_EQ(pasteboard.string(type::rtf), "{\\rtf1\\ansi\\ansicpg1252\\uc0 " + c.rtf + "}");
    EXPECT_EQ(pasteboard.string(type::html),
              "<html><head><meta charset=\"utf-8\"></head><body>" + c.html + "</body></html>");
  }
}

class SourceApplicationTest : public ControllerTest {
 protected:
  void SetUp() override {
    ControllerTest::SetUp();
    platform::Workspace::setSharedForTesting(&workspace);
    controller = std::make_unique<PasteboardController>(pasteboard);
  }
  void TearDown() override {
    controller.reset();
    platform::Workspace::setSharedForTesting(nullptr);
    ControllerTest::TearDown();
  }

  // The source application of a copy with `content`, owned by `owner`.
  std::optional<std::string> sourceOf(const PasteboardContent& content,
                                      std::optional<std::string> owner = "org.example.Owner") {
    pasteboard.setItems({itemOf(content)});
    pasteboard.setOwnerApplication(std::move(owner));
    return controller->sourceAppBundleIdentifier(settings);
  }

  ClearingSettings settings;
  platform::FakeWorkspace workspace;
  MemoryPasteboard pasteboard;
  std::unique_ptr<PasteboardController> controller;  // made once automatic clearing is off
};

TEST_F(SourceApplicationTest, MarkersComeFirstInTheirOrderThenTheOwnerThenTheFrontmostApplication) {
  const std::pair<std::string, std::string> source = {"org.nspasteboard.source", "org.example.Marked"};
  const std::pair<std::string, std::string> pages = {"com.apple.iWork.pasteboardState.applicationName-Pages", ""};
  const std::pair<std::string, std::string> numbers = {"com.apple.iWork.pasteboardState.applicationName-Numbers", ""};
  const std::pair<std::string, std::string> keynote = {"com.apple.iWork.pasteboardState.applicationName-Keynote", ""};
  const std::pair<std::string, std::string> office = {"com.microsoft.appbundleid", "com.microsoft.Word"};
  const std::pair<std::string, std::string> text = {type::string, "t"};
  EXPECT_EQ(sourceOf({text, source}), "org.example.Marked");
  EXPECT_EQ(sourceOf({text, pages}), "com.apple.iWork.Pages");
  EXPECT_EQ(sourceOf({text, numbers}), "com.apple.iWork.Numbers");
  EXPECT_EQ(sourceOf({text, keynote}), "com.apple.iWork.Keynote");
  EXPECT_EQ(sourceOf({text, office}), "com.microsoft.Word");
  EXPECT_EQ(sourceOf({text, office, keynote, numbers, pages, source}), "org.example.Marked");
  EXPECT_EQ(sourceOf({text, office, keynote, numbers, pages}), "com.apple.iWork.Pages");
  EXPECT_EQ(sourceOf({text, office, keynote, numbers}), "com.apple.iWork.Numbers");
  EXPECT_EQ(sourceOf({text, office, keynote}), "com.apple.iWork.Keynote");
  EXPECT_EQ(sourceOf({text, {"org.nspasteboard.source", " "}, office}), "com.microsoft.Word");

  // Without markers the clipboard's owner answers; the frontmost application only when there is no owner.
  settings.forceUsingFrontmostApp = true;
  workspace.frontmost = platform::RunningApplication{.pid = 7, .bundleIdentifier = "org.example.Front"};
  EXPECT_EQ(sourceOf({text}), "org.example.Owner");
  EXPECT_EQ(sourceOf({text}, std::nullopt), "org.example.Front");

  // The content decision asks the owner too: the spreadsheet's cut is left alone without any marker.
  sourceOf({text, {"dyn.ah62d4rv4gu8y", "Cut 1"}}, "com.microsoft.Excel");
  EXPECT_FALSE(controller->currentContent());
  sourceOf({text, {"dyn.ah62d4rv4gu8y", "Cut 1"}});
  EXPECT_TRUE(controller->currentContent());
}

TEST_F(SourceApplicationTest, TheFrontmostApplicationStandsInOnlyWhenTheSettingsForceIt) {
  const std::pair<std::string, std::string> text = {type::string, "t"};
  workspace.applications = {
      {.pid = 8, .bundleIdentifier = "org.example.Palette", .bundleUrl = "/apps/palette.desktop", .isRegular = false}};
  workspace.windows = {{.id = 1, .ownerPid = 8, .bounds = {0, 0, 400, 300}}};
  EXPECT_EQ(PasteboardController::forcedFrontmostAppBundleIdentifier(settings), ForcedFrontmostApp::notForced());
  settings.forceUsingFrontmostApp = true;
  EXPECT_EQ(PasteboardController::forcedFrontmostAppBundleIdentifier(settings), ForcedFrontmostApp::notForced())
      << "without a frontmost application";
  EXPECT_EQ(sourceOf({text}, std::nullopt), "org.example.Palette");

  // A frontmost application without an identifier ends the lookup: the windows are not asked.
  workspace.frontmost = platform::RunningApplication{.pid = 7};
  EXPECT_EQ(PasteboardController::forcedFrontmostAppBundleIdentifier(settings),
            ForcedFrontmostApp::forced(std::nullopt));
  EXPECT_EQ(sourceOf({text}, std::nullopt), std::nullopt);
  workspace.frontmost->bundleIdentifier = "org.example.Front";
  EXPECT_EQ(PasteboardController::forcedFrontmostAppBundleIdentifier(settings),
            ForcedFrontmostApp::forced("org.example.Front"));
  EXPECT_EQ(sourceOf({text}, std::nullopt), "org.example.Front");

  settings.forceUsingFrontmostApp = false;
  EXPECT_EQ(sourceOf({text}, std::nullopt), "org.example.Palette");
}

TEST_F(SourceApplicationTest, TheWriteBackOffersASourceMarkerOnlyWhenTheCopyHadOne) {
  // As copy and clear does it: the source looked up afresh, then the pass.
  auto cleanAndReadSource = [&](const PasteboardContent& content) {
    sourceOf(content);
    controller->clearAskedCopy({pasteboard.changeCount()});
    EXPECT_TRUE(hasType(pasteboard, cleanedMarkerType()));
    return pasteboard.string("org.nspasteboard.source");
  };
  EXPECT_EQ(cleanAndReadSource({{type::html, "<b>a</b>"}, {type::string, "a"}}), std::nullopt);
  EXPECT_EQ(controller->pasteboardItemSourceApp(), "org.example.Owner");
  EXPECT_EQ(cleanAndReadSource({{type::html, "<b>b</b>"}, {type::string, "b"}, {"org.nspasteboard.source", " w\n"}}),
            " w\n");
  EXPECT_EQ(controller->pasteboardItemSourceApp(), "w");
  // Our own write has no owner to tell.
  EXPECT_EQ(pasteboard.ownerApplication(), std::nullopt);
}

TEST_F(ControllerTest, ALoneAltTapIsTimedByTheKitClockAndLeavesCopiesAloneForThreeSeconds) {
  using namespace std::chrono_literals;
  namespace Flag = platform::ModifierFlag;
  // Years away from the system's time: a tap timed by another clock would never count.
  platform::VirtualClock clock(platform::Date(std::chrono::seconds(1'000'000'000)));
  platform::setClockForTesting(&clock);
  MemoryPasteboard pasteboard;
  pasteboard.setItems({itemOf({{type::html, "<b>a</b>"}, {type::string, "a"}})});
  PasteboardController controller(pasteboard);
  EXPECT_FALSE(controller.shouldSkip());

  controller.modifierFlagsChanged(Flag::option);
  controller.modifierFlagsChanged(0);
  EXPECT_EQ(controller.lastOptionKeyPress(), clock.now());
  EXPECT_TRUE(controller.shouldSkip());
  clock.advance(3s);
  EXPECT_TRUE(controller.shouldSkip()) << "both ends of the three seconds count";
  clock.advance(1ms);
  EXPECT_FALSE(controller.shouldSkip());

  // Caps Lock, on or toggled meanwhile, neither makes Alt a chord nor hides a lone tap.
  clock.advance(1min);
  controller.modifierFlagsChanged(Flag::capsLock);
  controller.modifierFlagsChanged(Flag::capsLock | Flag::option);
  controller.modifierFlagsChanged(Flag::capsLock);
  EXPECT_EQ(controller.lastOptionKeyPress(), clock.now());
  // Alt with Shift is a chord, also when Alt is released first.
  clock.advance(1min);
  controller.modifierFlagsChanged(Flag::option);
  controller.modifierFlagsChanged(Flag::option | Flag::shift);
  controller.modifierFlagsChanged(Flag::shift);
  controller.modifierFlagsChanged(0);
  EXPECT_EQ(controller.lastOptionKeyPress(), clock.now() - 1min);
  EXPECT_FALSE(controller.shouldSkip());
  // Alt with a key or a mouse button (Alt+Tab, an Alt+drag) is no tap.
  controller.modifierFlagsChanged(Flag::option);
  controller.inputPressed();
  controller.modifierFlagsChanged(0);
  EXPECT_EQ(controller.lastOptionKeyPress(), clock.now() - 1min);
  platform::setClockForTesting(nullptr);
}

// The program takes the clipboard's count before it makes the controller: a watcher switched on later leaves alone
// what it finds, however long after that count it was copied.
TEST_F(ControllerTest, AWatcherSwitchedOnAfterTheStartLeavesAloneWhatItFinds) {
  const PasteboardContent rich = {{type::html, "<b>a</b>"}, {type::string, "a"}};
  MemoryPasteboard pasteboard;
  PasteboardController controller(pasteboard, pasteboard.changeCount());
  pasteboard.setItems({itemOf(rich)});
  kit::Preferences::set(Keys::automaticallyClearFormatting(), true);
  main.runUntilIdle();
  EXPECT_FALSE(hasType(pasteboard, cleanedMarkerType()));
  pasteboard.setItems({itemOf(rich)});
  EXPECT_TRUE(cleaned(pasteboard));
}

TEST_F(ControllerTest, ContentFromAnotherDeviceAndCalendarEventsOfSeveralItemsAreSkipped) {
  MemoryPasteboard pasteboard;
  PasteboardController controller(pasteboard);
  const PasteboardContent text = {{type::html, "<b>a</b>"}, {type::string, "a"}};
  PasteboardContent event = text;
  event.emplace_back(calendarEventType, "EVENT");
  PasteboardContent remote = text;
  remote.emplace_back(remoteClipboardType, "");

  pasteboard.setItems({itemOf(event)});
  EXPECT_FALSE(controller.shouldSkip()) << "one calendar event, dragged as one item";
  pasteboard.setItems({itemOf(event), itemOf({{calendarEventType, "EVENT 2"}})});
  EXPECT_TRUE(controller.shouldSkip());
  pasteboard.setItems({itemOf(text), itemOf(text)});
  EXPECT_FALSE(controller.shouldSkip());
  pasteboard.setItems({itemOf(remote)});
  EXPECT_TRUE(controller.shouldSkip());
  pasteboard.setItems({});
  EXPECT_FALSE(controller.shouldSkip());
}

TEST_F(ControllerTest, TextThatTrimsToNothingIsWrittenEmptyWithEveryMarker) {
  MemoryPasteboard pasteboard;
  // With RTF, blank plain text is content to clean (HTML alone would leave it alone).
  pasteboard.setItems({itemOf({{type::rtf, "{\\rtf1 \\par}"}, {type::string, " \n\t\u00A0"}})});
  const int64_t countBefore = pasteboard.changeCount();
  PasteboardController controller(pasteboard);
  ClearingSettings settings;
  settings.transforms.trimWhitespace = true;
  settings.improveCompatibilityWithAppendOperations = true;
  controller.clearFormatting(settings);
  EXPECT_EQ(pasteboard.types(),
            (std::vector<std::string>{type::string, cleanedMarkerType(), kit::PasteboardType::autoGenerated,
                                      kit::PasteboardType::modified}));
  EXPECT_EQ(pasteboard.string(type::string), "");
  EXPECT_EQ(pasteboard.string(kit::PasteboardType::modified), std::to_string(countBefore));
}

}  // namespace
}  // namespace engine
