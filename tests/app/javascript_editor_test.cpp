// Screenshots go to settings-screenshots/ beside the test programs.
#include "app/javascript_editor.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextCharFormat>
#include <filesystem>

#include "app/plain_text_view.h"
#include "doubles/memory_pasteboard.h"
#include "engine/pasteboard_controller.h"
#include "engine/preference_keys.h"
#include "kit/ui/show_for_app_runs.h"
#include "platform/pasteboard/pasteboard.h"
#include "support/recording_alert_presenter.h"
#include "support/screenshots.h"

namespace app {
namespace {

namespace Keys = kit::Preferences::Keys;
using namespace std::chrono_literals;

const std::string example = "$.log('Input text:', $.text);\n\nreturn $.text.toUpperCase();";

std::string shown(const PlainTextView* view) { return view->text(); }
std::string storedCode() { return kit::Preferences::get(Keys::javaScriptCode()); }

class JavaScriptEditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    kit::Preferences::removeAll();
    kit::ShowForAppRuns::forgetRunForTesting();
    kit::setAlertPresenter(&presenter);
    engine = std::make_unique<engine::PasteboardController>(pasteboard);
  }
  void TearDown() override {
    editor.reset();
    engine.reset();
    kit::setAlertPresenter(nullptr);
  }

  JavaScriptEditor& open() {
    editor = std::make_unique<JavaScriptEditor>(*engine);
    editor->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(editor.get()));
    return *editor;
  }

  // Runs the script on the input (typed into the test field) and waits for the result.
  void run(const std::string& code, const std::string& input = "") {
    kit::Preferences::set(Keys::javaScriptCode(), code);
    editor->inputView()->clear();
    QTest::keyClicks(editor->inputView(), QString::fromStdString(input));
    QSignalSpy finished(editor.get(), &JavaScriptEditor::runFinished);
    editor->runButton()->click();
    ASSERT_TRUE(finished.wait(10000));
  }

  platform::MemoryPasteboard pasteboard;
  std::unique_ptr<engine::PasteboardController> engine;
  std::unique_ptr<JavaScriptEditor> editor;
  RecordingAlertPresenter presenter;
};

TEST_F(JavaScriptEditorTest, TheFirstOpeningShowsTheExampleOnlyOverAnEmptyScript) {
  open();
  EXPECT_EQ(storedCode(), example);
  EXPECT_EQ(shown(editor->codeView()), example);
  EXPECT_EQ(shown(editor->inputView()), "hello");
  EXPECT_EQ(shown(editor->outputView()), "HELLO");
  EXPECT_EQ(shown(editor->logsView()), "");
  EXPECT_TRUE(editor->hintArrow()->isVisible());
  // In the accent colour, also after a switch of the theme.
  const QPalette original = QApplication::palette();
  QPalette switched = original;
  switched.setColor(QPalette::Highlight, QColor(200, 30, 40));
  QApplication::setPalette(switched);
  QCoreApplication::sendPostedEvents();  // widgets hear of a new application palette in posted events
  const QImage arrow = editor->hintArrow()->grab().toImage();
  bool tinted = false;
  for (int y = 0; y < arrow.height() && !tinted; ++y)
    for (int x = 0; x < arrow.width() && !tinted; ++x)
      tinted = arrow.pixelColor(x, y).red() > 150 && arrow.pixelColor(x, y).green() < 100;
  QApplication::setPalette(original);
  QCoreApplication::sendPostedEvents();
  EXPECT_TRUE(tinted);

  // Ctrl+R runs what is stored.
  editor->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(editor.get()));
  QSignalSpy finished(editor.get(), &JavaScriptEditor::runFinished);
  QTest::keyClick(editor->codeView(), Qt::Key_R, Qt::ControlModifier);
  ASSERT_TRUE(finished.wait(10000));
  EXPECT_EQ(shown(editor->outputView()), "HELLO");
  EXPECT_EQ(shown(editor->logsView()), "Input text: hello");
  saveScreenshot(*editor, "javascript-editor.png");

  // Later openings show the stored script with an empty test bench, even once the script is cleared.
  kit::Preferences::set(Keys::javaScriptCode(), std::string());
  open();
  EXPECT_EQ(shown(editor->codeView()), "");
  EXPECT_EQ(shown(editor->inputView()), "");
  EXPECT_EQ(shown(editor->outputView()), "");

  // A script restored from elsewhere, even one of blanks only, is never replaced by the example; the first opening
  // is used up all the same.
  for (const std::string restored : {"return $.text;", " \n\t"}) {
    kit::Preferences::removeAll();
    kit::Preferences::set(Keys::javaScriptCode(), restored);
    open();
    EXPECT_EQ(storedCode(), restored);
    EXPECT_EQ(shown(editor->inputView()), "");
    EXPECT_TRUE(platform::UserDefaults::standard().object("Zv_App_runOnce__JavaScriptEditorScreen__addExampleContent"));
  }
}

TEST_F(JavaScriptEditorTest, RunsShowTheOutputAndTheLogLinesWithAFailureLast) {
  open();
  run("$.log('a', 2); $.log($.sourceApp); return $.text + '!';", "typed");
  EXPECT_EQ(shown(editor->outputView()), "typed!");
  EXPECT_EQ(shown(editor->logsView()), "a 2\ncom.kestrova.Quillet");  // the editor is the source app

  run("$.log('before');\nthrow new TypeError('bad input');");
  EXPECT_EQ(shown(editor->outputView()), "");
  EXPECT_EQ(shown(editor->logsView()), "before\n[TypeError at 2:11] bad input");  // where it is in the code
  run("return $.text.toUpperCase(;");
  EXPECT_EQ(shown(editor->logsView()), "[SyntaxError at 1:27] Unexpected token ';'");

  run("throw 'plain';");
  EXPECT_EQ(shown(editor->logsView()), "[NonError at 0:0] Unknown error.");
  run("return 5;");
  EXPECT_EQ(shown(editor->logsView()), "[Error] Return value must be a string.");
  run("");
  EXPECT_EQ(shown(editor->outputView()), "");
  EXPECT_EQ(shown(editor->logsView()), "");
}

TEST_F(JavaScriptEditorTest, ARunawayScriptIsStoppedAfterFiveSecondsWhileTheEditorStaysUsable) {
  open();
  kit::Preferences::set(Keys::javaScriptCode(), std::string("$.log('start'); while (true) {}"));
  QSignalSpy finished(editor.get(), &JavaScriptEditor::runFinished);
  const auto start = std::chrono::steady_clock::now();
  editor->runButton()->click();
  EXPECT_TRUE(editor->isRunning());
  EXPECT_FALSE(editor->runButton()->isEnabled());

  // The loop runs elsewhere: the editor takes typing and repaints meanwhile, and a second run waits its turn.
  QTest::qWait(300);
  editor->inputView()->setFocus();
  editor->inputView()->moveCursor(QTextCursor::End);
  QTest::keyClicks(editor->inputView(), "still here");
  EXPECT_EQ(shown(editor->inputView()), "hello" + std::string("still here"));
  editor->run();
  EXPECT_TRUE(editor->isRunning());
  editor->grab();

  ASSERT_TRUE(finished.wait(20000));
  EXPECT_GE(std::chrono::steady_clock::now() - start, 4s);
  EXPECT_EQ(finished.count(), 1);
  EXPECT_EQ(shown(editor->logsView()), "start\n[Error] Script took longer than 5 seconds.");
  EXPECT_TRUE(editor->runButton()->isEnabled());
}

TEST_F(JavaScriptEditorTest, TheEngineKnowsWhileItIsOpenAndItsTextViewsTakeTheEditingKeys) {
  kit::Preferences::set(Keys::javaScriptCode(), std::string("return 1;"));
  EXPECT_FALSE(engine->isEditingCode());
  open();
  EXPECT_TRUE(engine->isEditingCode());

  // Each keystroke is stored; undo and redo come from the keys alone, and go to the store as well.
  editor->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(editor.get()));
  PlainTextView* code = editor->codeView();
  code->setFocus();
  code->moveCursor(QTextCursor::End);
  QTest::keyClicks(code, " // x");
  EXPECT_EQ(storedCode(), "return 1; // x");
  QTest::keyClick(code, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(storedCode(), "return 1;");
  QTest::keyClick(code, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(storedCode(), "return 1; // x");
  QTest::keyClick(code, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(code, Qt::Key_C, Qt::ControlModifier);
  code->moveCursor(QTextCursor::End);
  QTest::keyClick(code, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(storedCode(), "return 1; // xreturn 1; // x");

  // Changed elsewhere to a shorter script: the view follows, the caret stays inside the text.
  kit::Preferences::set(Keys::javaScriptCode(), std::string("return 2;"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return shown(code) == "return 2;"; }));
  EXPECT_EQ(code->textCursor().position(), 9);

  editor->doneButton()->click();
  EXPECT_FALSE(editor->isVisible());
  EXPECT_EQ(editor->result(), QDialog::Accepted);
  EXPECT_FALSE(engine->isEditingCode());
}

TEST_F(JavaScriptEditorTest, TheScriptAndTheInputKeepEveryCharacterTyped) {
  // The script replaces no-break spaces only; a line separator ends its comment.
  const std::string script = "return $.text.replaceAll('\u00a0', '_'); // nbsp\u2028";
  kit::Preferences::set(Keys::javaScriptCode(), script);
  open();
  editor->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(editor.get()));
  PlainTextView* code = editor->codeView();
  EXPECT_EQ(code->text(), script);
  ASSERT_TRUE(code->becomeFirstResponder());
  code->moveCursor(QTextCursor::End);
  QTest::keyClicks(code, "x");
  EXPECT_EQ(storedCode(), script + "x");
  EXPECT_EQ(code->text(), script + "x") << "the view keeps the text it handed over";

  // An empty view taking the focus types in its own font again; one with text keeps its text and selection.
  PlainTextView* input = editor->inputView();
  QTextCharFormat bold;
  bold.setFontWeight(QFont::Bold);
  input->setCurrentCharFormat(bold);
  ASSERT_TRUE(input->becomeFirstResponder());
  EXPECT_NE(input->currentCharFormat().fontWeight(), QFont::Bold);
  QTextCursor selection = code->textCursor();
  selection.setPosition(2);
  selection.setPosition(5, QTextCursor::KeepAnchor);
  code->setTextCursor(selection);
  ASSERT_TRUE(code->becomeFirstResponder());
  EXPECT_EQ(code->textCursor().anchor(), 2);
  EXPECT_EQ(code->textCursor().position(), 5);
  EXPECT_EQ(storedCode(), script + "x");

  ASSERT_TRUE(input->becomeFirstResponder());
  QTest::keyClicks(input, QString::fromUtf8("a\u00a0b c"));
  QSignalSpy finished(editor.get(), &JavaScriptEditor::runFinished);
  editor->runButton()->click();
  ASSERT_TRUE(finished.wait(10000));
  EXPECT_EQ(shown(editor->outputView()), "a_b c");
}

}  // namespace
}  // namespace app
