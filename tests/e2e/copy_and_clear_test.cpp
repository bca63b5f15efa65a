// The shortcut commands against real applications: the test program starts a copy of itself as a small Qt
// application (a focused rich-text editor with its text selected, or a focused text field), presses the
// stored shortcuts with xdotool, and reads the clipboard back with xclip.
#include "engine/copy_and_clear.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTextEdit>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>
#include <memory>
#include <sstream>
#include <thread>

#include "app/shortcut_commands.h"
#include "e2e/key_test_support.h"
#include "e2e/x11_session_support.h"
#include "engine/content_markers.h"
#include "engine/preference_keys.h"
#include "engine/shortcut_names.h"
#include "kit/shortcuts/handlers.h"
#include "kit/shortcuts/storage.h"
#include "support/x11_selection.h"

namespace {

using namespace std::chrono_literals;
using x11test::occurrences;
using x11test::readClipboard;
namespace Keys = kit::Preferences::Keys;
namespace Names = kit::GlobalShortcuts::Names;

constexpr const char* applicationVariable = "QUILLET_E2E_APPLICATION";
const std::string selectedHtml = "<p>Read <b>https://example.org/page?utm_source=mail&amp;id=7</b> <i>now</i></p>";
const std::string cleanedSelection = "Read https://example.org/page?id=7 now";
const std::string officeSelection = "Read https://example.org/page?utm_source=mail&id=7 now";

// ---- The other application, in a process of its own. It appends what happens to it to a log file.

void note(const std::string& log, const std::string& line) { std::ofstream(log, std::ios::app) << line << '\n'; }

// Selected rich text; Ctrl+C copies it after `delay`, as a slow application would.
class RichTextEditor : public QTextEdit {
 public:
  RichTextEditor(std::string log, int delay) : log_(std::move(log)), delay_(delay) {}

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (event != QKeySequence::Copy) return QTextEdit::keyPressEvent(event);
    note(log_, "copy pressed");
    QTimer::singleShot(delay_, this, [this] {
      copy();
      note(log_, "copied");
    });
  }

 private:
  std::string log_;
  int delay_;
};

// Runs the application named by the variable, "editor <delay ms> <log>" or "field <log>", and never returns.
[[maybe_unused]] const bool otherApplication = [] {
  const char* spec = getenv(applicationVariable);
  if (spec == nullptr) return false;
  std::istringstream words(spec);
  std::string kind, log;
  int delay = 0;
  words >> kind;
  if (kind == "editor") words >> delay;
  words >> log;
  int argc = 1;
  char name[] = "other-application";
  char* argv[] = {name, nullptr};
  qputenv("QT_QPA_PLATFORM", "xcb");
  QApplication app(argc, argv);
  std::unique_ptr<QWidget> widget;
  if (kind == "editor") {
    auto editor = std::make_unique<RichTextEditor>(log, delay);
    editor->setHtml(QString::fromStdString(selectedHtml));
    editor->selectAll();
    widget = std::move(editor);
  } else {
    auto field = std::make_unique<QLineEdit>();
    field->setMaxLength(std::numeric_limits<int>::max());  // a large paste whole
    QObject::connect(field.get(), &QLineEdit::textChanged,
                     [log](const QString& text) { note(log, "text " + text.toStdString()); });
    widget = std::move(field);
  }
  widget->show();
  widget->activateWindow();
  QTimer ready;
  QObject::connect(&ready, &QTimer::timeout, [&] {
    if (!widget->isActiveWindow() || !widget->hasFocus()) return;
    ready.stop();
    note(log, "ready");
  });
  ready.start(20);
  app.exec();
  _exit(0);
}();

// ---- An office application as it copies on X11: its document window has the keyboard focus, and it serves its
// copies from a clipboard window of its own, taking the clipboard at the time of the key press that asked for it.

class OfficeApplication {
 public:
  // One that does not `answer` takes the clipboard and never hands its copy over.
  explicit OfficeApplication(bool answer = true) : answers_(answer) {
    xcb_screen_t* screen = c_.screen();
    document_ = xcb_generate_id(c_);
    uint32_t keys = XCB_EVENT_MASK_KEY_PRESS;
    xcb_create_window(c_, XCB_COPY_FROM_PARENT, document_, screen->root, 0, 0, 400, 300, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_EVENT_MASK, &keys);
    xcb_map_window(c_, document_);
    clipboardWindow_ = xcb_generate_id(c_);
    xcb_create_window(c_, XCB_COPY_FROM_PARENT, clipboardWindow_, screen->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    clipboard_ = atom("CLIPBOARD");
    targets_ = atom("TARGETS");
    offered_ = {{atom("text/html"), selectedHtml}, {atom("UTF8_STRING"), officeSelection}};
    c_.roundTrip();  // mapped now
    xcb_set_input_focus(c_, XCB_INPUT_FOCUS_POINTER_ROOT, document_, XCB_CURRENT_TIME);
    c_.roundTrip();
    thread_ = std::thread([this] { run(); });
  }
  ~OfficeApplication() {
    stop_ = true;
    thread_.join();
  }
  int copies() const { return copies_; }

 private:
  xcb_atom_t atom(const std::string& name) { return selectiontest::atom(c_, name); }

  void run() {
    const xcb_keycode_t c = 54;  // the C key
    while (!stop_) {
      pollfd p{xcb_get_file_descriptor(c_), POLLIN, 0};
      poll(&p, 1, 5);
      while (auto event = platform::xcbReply(xcb_poll_for_event(c_))) {
        uint8_t type = event->response_type & 0x7f;
        if (type == XCB_KEY_PRESS) {
          auto* key = reinterpret_cast<xcb_key_press_event_t*>(event.get());
          if (key->detail == c && (key->state & XCB_MOD_MASK_CONTROL) != 0) {
            xcb_set_selection_owner(c_, clipboardWindow_, clipboard_, key->time);
            xcb_flush(c_);
            ++copies_;
          }
        } else if (type == XCB_SELECTION_REQUEST && answers_) {
          selectiontest::answer(c_, *reinterpret_cast<xcb_selection_request_event_t*>(event.get()), targets_, offered_);
        }
      }
    }
  }

  const bool answers_;
  x11test::Client c_;
  xcb_window_t document_ = XCB_NONE, clipboardWindow_ = XCB_NONE;
  xcb_atom_t clipboard_ = XCB_ATOM_NONE, targets_ = XCB_ATOM_NONE;
  selectiontest::Offer offered_;
  std::atomic<int> copies_{0};
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// ---- The test program.

class CopyAndClearTest : public x11test::SessionTest {
 protected:
  void SetUp() override {
    kit::Preferences::removeAll();
    kit::Preferences::set(Keys::automaticallyClearFormatting(), false);
    kit::Preferences::set(Keys::removeTrackingParametersFromURLs(), true);
    controller = std::make_unique<engine::PasteboardController>(pasteboard);
    app::bindShortcutCommands(*controller);
    kit::GlobalShortcuts::saveShortcut({40, 256 | 512}, Names::copyAndClearFormatting());              // Ctrl+Shift+K
    kit::GlobalShortcuts::saveShortcut({38, 256 | 512}, Names::clearFormatting());                     // Ctrl+Shift+J
    kit::GlobalShortcuts::saveShortcut({37, 256 | 512}, Names::toggleAutomaticallyClearFormatting());  // Ctrl+Shift+L
    x11test::processEventsFor(100ms);
  }
  void TearDown() override {
    kit::GlobalShortcuts::removeAllHandlers();
    application.reset();
    owner.reset();
    controller.reset();
  }

  // Starts the other application and waits until its window has the keyboard focus.
  void start(const std::string& kind) {
    log = (configHome() / ("application-" + std::to_string(++started) + ".log")).string();
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    application = std::make_unique<x11test::ChildProcess>(
        std::vector<std::string>{"env", std::string(applicationVariable) + "=" + kind + " " + log, self});
    ASSERT_TRUE(x11test::processEventsUntil([&] { return logged("ready"); }, 10s)) << "the application did not start";
  }

  bool logged(const std::string& line, size_t times = 1) {
    std::ifstream file(log);
    std::stringstream content;
    content << file.rdbuf();
    return occurrences(content.str(), line + "\n") >= times;
  }

  // Starts a clipboard manager that takes over every copy right after it is made, and waits until it took one over.
  static std::unique_ptr<x11test::ChildProcess> startEveryCopyManager() {
    auto manager = std::make_unique<x11test::ChildProcess>(
        std::vector<std::string>{std::string(QUILLET_BIN_DIR) + "/test_clipboard_manager", "every"});
    x11test::SelectionOwner::Options options;
    options.targets = {{"UTF8_STRING", "first copy"}};
    for (bool listening = false; !listening;) {
      x11test::SelectionOwner first(options);
      EXPECT_TRUE(x11test::processEventsUntil([&] { return x11test::clipboardOwner() == first.window(); }));
      listening = x11test::processEventsUntil([&] { return x11test::clipboardOwner() != first.window(); }, 1s);
    }
    return manager;
  }

  bool cleaned() { return engine::hasType(pasteboard, engine::cleanedMarkerType()); }

  // Another application copies rich text; once the clipboard has read it, clear-and-paste is pressed in a focused
  // text field. Answers whether the field received `expected`.
  bool clearAndPasteGives(const std::string& html, const std::string& plain, const std::string& expected) {
    x11test::SelectionOwner::Options copy;
    copy.targets = {{"text/html", html}, {"UTF8_STRING", plain}};
    copy.order = {"text/html", "UTF8_STRING"};
    copy.partSize = 64 << 10;
    const int64_t before = pasteboard.changeCount();
    owner = std::make_unique<x11test::SelectionOwner>(copy);
    EXPECT_TRUE(x11test::processEventsUntil([&] { return pasteboard.changeCount() != before; }));
    start("field");
    xdotool("key ctrl+shift+j");
    return x11test::processEventsUntil([&] { return logged("text " + expected); }, 10s);
  }

  // The shortcut is pressed in the focused text field, which has nothing selected; `after` that, the user copies rich
  // text in another application (xclip). Answers how many of those copies were cleaned.
  int copiesElsewhereCleaned(const std::vector<std::chrono::milliseconds>& afters) {
    int count = 0;
    for (auto after : afters) {
      xdotool("key ctrl+shift+k");
      x11test::processEventsFor(after);
      x11test::ChildProcess xclip({"xclip", "-quiet", "-selection", "clipboard", "-t", "text/html", "-i"},
                                  "<b>copied elsewhere</b>");
      // Every check of the schedule, and the read of a copy made within it.
      x11test::processEventsFor(std::max(after, 1200ms) + 800ms);
      if (cleaned()) ++count;
    }
    return count;
  }

  platform::Pasteboard& pasteboard = platform::generalPasteboard();
  std::unique_ptr<engine::PasteboardController> controller;
  std::unique_ptr<x11test::SelectionOwner> owner;
  std::unique_ptr<x11test::ChildProcess> application;
  std::string log;
  static inline int started = 0;
};

TEST_F(CopyAndClearTest, TheShortcutCopiesTheSelectionAndLeavesItsCleanedTextWrittenOnce) {
  start("editor 0");
  testing::internal::CaptureStdout();
  xdotool("key ctrl+shift+k");
  ASSERT_TRUE(x11test::processEventsUntil([&] { return logged("copied"); })) << "no Ctrl+C reached the editor";
  EXPECT_TRUE(x11test::processEventsUntil([&] { return cleaned(); }, 2s));
  x11test::processEventsFor(1500ms);  // every later check of the schedule

  EXPECT_EQ(occurrences(testing::internal::GetCapturedStdout(), "Finished clearing\n"), 1u);
  EXPECT_EQ(readClipboard("UTF8_STRING"), cleanedSelection);
  const std::string targets = readClipboard("TARGETS");
  EXPECT_EQ(targets.find("text/html"), std::string::npos) << targets;
  EXPECT_NE(targets.find("com.kestrova.Quillet.hasRun"), std::string::npos) << targets;
}

TEST_F(CopyAndClearTest, AnApplicationThatAnswersCtrlCLateIsCleanedAtALaterCheck) {
  start("editor 150");
  testing::internal::CaptureStdout();
  xdotool("key ctrl+shift+k");
  ASSERT_TRUE(x11test::processEventsUntil([&] { return logged("copied"); })) << "no Ctrl+C reached the editor";
  EXPECT_TRUE(x11test::processEventsUntil([&] { return cleaned(); }, 2s));
  x11test::processEventsFor(1500ms);

  EXPECT_EQ(occurrences(testing::internal::GetCapturedStdout(), "Finished clearing\n"), 1u);
  EXPECT_EQ(readClipboard("UTF8_STRING"), cleanedSelection);
}

TEST_F(CopyAndClearTest, ClearAndPastePastesTheCleanedTextIntoTheFocusedField) {
  kit::Preferences::set(Keys::trimLeadingAndTrailingWhitespace(), true);
  EXPECT_TRUE(clearAndPasteGives("<p> <b>Hello</b> https://example.org/?utm_medium=x&amp;q=1 </p>",
                                 "  Hello https://example.org/?utm_medium=x&q=1 \n", "Hello https://example.org/?q=1"))
      << "the field did not receive the cleaned text";
  EXPECT_TRUE(cleaned());
}

// The user's script, and a copy too large to clean at once, are cleaned off the main thread: the paste waits for
// the write.
TEST_F(CopyAndClearTest, ClearAndPastePastesWhatTheScriptMade) {
  kit::Preferences::set(Keys::transformTextWithJavaScript(), true);
  kit::Preferences::set(Keys::javaScriptCode(), std::string("return $.text.toUpperCase()"));
  EXPECT_TRUE(clearAndPasteGives("<p><b>Hello</b> world</p>", "Hello world", "HELLO WORLD"))
      << "the field did not receive the script's text";
}

TEST_F(CopyAndClearTest, ClearAndPastePastesALargeCopyCleaned) {
  kit::Preferences::set(Keys::trimLeadingAndTrailingWhitespace(), true);
  std::string words;
  while (words.size() < 300'000) words += "word" + std::to_string(words.size() % 97) + " ";
  ASSERT_GT(words.size(), engine::PasteboardController::largestContentCleanedAtOnce);
  const std::string link = "https://example.org/?utm_source=a&q=1";
  EXPECT_TRUE(
      clearAndPasteGives("<p>" + words + link + "</p>", "  " + words + link + "  ", words + "https://example.org/?q=1"))
      << "the field did not receive the cleaned text";
}

TEST_F(CopyAndClearTest, TheToggleShortcutFlipsAutomaticClearing) {
  auto pressToggle = [&](bool expected) {
    xdotool("key ctrl+shift+l");
    return x11test::processEventsUntil(
        [&] { return kit::Preferences::get(Keys::automaticallyClearFormatting()) == expected; }, 3s);
  };
  ASSERT_TRUE(pressToggle(true));
  EXPECT_TRUE(controller->isWatching());
  ASSERT_TRUE(pressToggle(false));
  EXPECT_FALSE(controller->isWatching());
}

// Copy and clear pressed right after a plain Ctrl+C, while the pass on that copy and its write are under way: the
// office application's newer copy, our pass on the earlier one and our write back meet. Each try must leave the
// selection's text, cleaned, for a paste. Answers how many did not.
int brokenClipboards(const std::vector<std::chrono::milliseconds>& pauses) {
  kit::Preferences::set(Keys::automaticallyClearFormatting(), true);
  kit::Preferences::set(Keys::removeTrackingParametersFromURLs(), false);
  OfficeApplication office;
  int broken = 0;
  for (auto pause : pauses) {
    const int copies = office.copies();
    xdotool("key ctrl+c");
    EXPECT_TRUE(x11test::processEventsUntil([&] { return office.copies() > copies; })) << "no Ctrl+C reached it";
    x11test::processEventsFor(pause);
    xdotool("key ctrl+shift+k");
    x11test::processEventsUntil([&] { return office.copies() > copies + 1; }, 2s);
    x11test::processEventsFor(1300ms);  // every check of the schedule
    const std::string pasted = readClipboard("UTF8_STRING");
    const std::string targets = readClipboard("TARGETS");
    if (pasted != officeSelection || targets.find("text/html") != std::string::npos) {
      ++broken;
      ADD_FAILURE() << "after " << pause.count() << " ms: pastes \"" << pasted << "\", offers " << targets;
    }
  }
  return broken;
}

TEST_F(CopyAndClearTest, CopyAndClearRightAfterAPlainCopyNeverLeavesAClipboardThatPastesNothing) {
  std::vector<std::chrono::milliseconds> pauses;
  for (int i = 0; i < 25; ++i) pauses.push_back(std::chrono::milliseconds(10 + 20 * (i % 5)));
  EXPECT_EQ(brokenClipboards(pauses), 0);
}

TEST_F(CopyAndClearTest, CopyAndClearHalfASecondAfterAPlainCopyNeverLeavesAClipboardThatPastesNothing) {
  EXPECT_EQ(brokenClipboards(std::vector<std::chrono::milliseconds>(25, 500ms)), 0);
}

TEST_F(CopyAndClearTest, ACopyMadeInAnotherApplicationAfterThePressStaysAsMade) {
  start("field");
  EXPECT_EQ(copiesElsewhereCleaned({300ms, 700ms, 1100ms}), 0);
  // Also while the copy of a focused application that never hands it over is waited for after the checks.
  OfficeApplication office(false);
  EXPECT_EQ(copiesElsewhereCleaned({2000ms}), 0);
}

// Clipboard managers that keep the clipboard alive take over each copy within milliseconds, before our first check, and
// offer what they read; this one takes over our write too, our marker included.
TEST_F(CopyAndClearTest, WithAManagerTakingOverEveryCopyTheFocusedApplicationsCopyIsStillCleaned) {
  auto manager = startEveryCopyManager();
  start("editor 0");
  const int tries = 5;
  int cleanedCopies = 0;
  for (int copy = 1; copy <= tries; ++copy) {
    xdotool("key ctrl+shift+k");
    ASSERT_TRUE(x11test::processEventsUntil([&] { return logged("copied", copy); })) << "no Ctrl+C reached the editor";
    x11test::processEventsFor(1500ms);  // every check of the schedule
    const std::string pasted = readClipboard("UTF8_STRING");
    const std::string targets = readClipboard("TARGETS");
    if (pasted == cleanedSelection && targets.find("text/html") == std::string::npos &&
        targets.find("com.kestrova.Quillet.hasRun") != std::string::npos) {
      ++cleanedCopies;
    } else {
      ADD_FAILURE() << "copy " << copy << ": pastes \"" << pasted << "\", offers " << targets;
    }
  }
  EXPECT_EQ(cleanedCopies, tries);
  manager->stop();
  // The manager takes over the application's copy and our write, but a copy that our write replaced while it read it.
  const std::string seen = manager->output();
  EXPECT_GE(occurrences(seen, "took\n") + occurrences(seen, "skipped\n"), static_cast<size_t>(2 * tries))
      << "the manager took over less";
}

TEST_F(CopyAndClearTest, WithAManagerTakingOverEveryCopyACopyMadeInAnotherApplicationAfterThePressStaysAsMade) {
  auto manager = startEveryCopyManager();
  start("field");
  EXPECT_EQ(copiesElsewhereCleaned({500ms, 500ms, 300ms}), 0);
}

TEST_F(CopyAndClearTest, AnApplicationThatNeverHandsItsCopyOverIsNamedInTheLog) {
  OfficeApplication office(false);
  testing::internal::CaptureStderr();
  xdotool("key ctrl+shift+k");
  ASSERT_TRUE(x11test::processEventsUntil([&] { return office.copies() > 0; })) << "no Ctrl+C reached it";
  x11test::processEventsFor(5s);  // every check, and the wait for the copy after them

  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(occurrences(err,
                        "Could not clear formatting: the application that copied did not hand its copy over "
                        "within 3 seconds; the clipboard stays as it was"),
            1u)
      << err;
}

}  // namespace
