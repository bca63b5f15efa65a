// The shortcut commands against real applications: the test program starts a copy of itself as a small Qt
// application (a focused rich-text editor with its text selected, or a focused text field), presses the
// stored shortcuts with xdotool, and reads the clipboard back with xclip.
#include "engine/copy_and_clear.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTextEdit>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "app/shortcut_commands.h"
#include "e2e/key_test_support.h"
#include "e2e/x11_session_support.h"
#include "engine/pasteboard_markers.h"
#include "engine/preference_keys.h"
#include "engine/shortcut_names.h"
#include "kit/shortcuts/handlers.h"
#include "kit/shortcuts/storage.h"

namespace {

using namespace std::chrono_literals;
using x11test::occurrences;
using x11test::readClipboard;
namespace Keys = kit::Preferences::Keys;
namespace Names = kit::GlobalShortcuts::Names;

constexpr const char* applicationVariable = "QUILLET_E2E_APPLICATION";
const std::string selectedHtml = "<p>Read <b>https://example.org/page?utm_source=mail&amp;id=7</b> <i>now</i></p>";
const std::string cleanedSelection = "Read https://example.org/page?id=7 now";

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

  bool logged(const std::string& line) {
    std::ifstream file(log);
    std::stringstream content;
    content << file.rdbuf();
    return content.str().find(line + "\n") != std::string::npos;
  }

  bool cleaned() { return engine::hasType(pasteboard, engine::cleanedMarkerType()); }

  platform::Pasteboard& pasteboard = platform::generalPasteboard();
  std::unique_ptr<engine::PasteboardController> controller;
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
  x11test::SelectionOwner::Options copy;
  copy.targets = {{"text/html", "<p> <b>Hello</b> https://example.org/?utm_medium=x&amp;q=1 </p>"},
                  {"UTF8_STRING", "  Hello https://example.org/?utm_medium=x&q=1 \n"}};
  copy.order = {"text/html", "UTF8_STRING"};
  const int64_t before = pasteboard.changeCount();
  auto owner = std::make_unique<x11test::SelectionOwner>(copy);
  ASSERT_TRUE(x11test::processEventsUntil([&] { return pasteboard.changeCount() != before; }));

  start("field");
  xdotool("key ctrl+shift+j");
  EXPECT_TRUE(x11test::processEventsUntil([&] { return logged("text Hello https://example.org/?q=1"); }))
      << "the field did not receive the cleaned text";
  EXPECT_TRUE(cleaned());
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

}  // namespace
