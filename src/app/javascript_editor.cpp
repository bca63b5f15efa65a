#include "app/javascript_editor.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "app/plain_text_view.h"
#include "app/settings_texts.h"
#include "engine/javascript_error.h"
#include "engine/pasteboard_controller.h"
#include "engine/preference_keys.h"
#include "engine/script_step.h"
#include "kit/app/feedback.h"
#include "kit/app/launch_history.h"
#include "kit/foundation/text_checking.h"
#include "kit/ui/info_popover_button.h"
#include "kit/ui/on_screen_tracking.h"
#include "kit/ui/settings_form.h"
#include "kit/ui/show_for_app_runs.h"
#include "kit/ui/text_styles.h"
#include "kit/ui/widget_introspection.h"
#include "kit/ui/window_access.h"
#include "platform/core/executor.h"

namespace app {

namespace {

namespace Keys = kit::Preferences::Keys;
namespace Texts = SettingsTexts;

constexpr int editorMinimumWidth = 560;
constexpr int codeHeight = 140;
constexpr int fieldHeight = 60;
constexpr int helpWidth = 500;
// Three times the usual room between buttons sets "Send Feedback…" apart from "Run".
constexpr int feedbackGap = 18;

const std::string& helpText() {
  static const std::string text =
      Texts::scriptHelpStart + kit::feedbackPageUrl().absoluteString() + Texts::scriptHelpEnd;
  return text;
}

QFont fontOfSize(QFont font, double pointSize) {
  font.setPointSizeF(pointSize);
  return font;
}

QLabel* smallLabel(const char* text) {
  auto* label = new QLabel(text);
  label->setFont(fontOfSize(label->font(), kit::smallSystemFontSize()));
  return label;
}

QWidget* titled(const char* title, QWidget* field) {
  auto* column = new QWidget;
  auto* layout = new QVBoxLayout(column);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(4);
  layout->addWidget(smallLabel(title));
  layout->addWidget(field);
  return column;
}

QLabel* boldLabel(const char* text) {
  auto* label = new QLabel(text);
  QFont font = label->font();
  font.setBold(true);
  label->setFont(font);
  return label;
}

}  // namespace

std::string scriptFailureLine(const std::exception_ptr& failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const engine::JavaScriptError& error) {
    return "[" + error.name() + " at " + std::to_string(error.line()) + ":" + std::to_string(error.column()) + "] " +
           error.message();
  } catch (const kit::Error& error) {
    return "[Error] " + error.localizedDescription();
  } catch (const std::exception& error) {
    return "[Error] " + std::string(error.what());
  } catch (...) {
    return "[Error] Unknown error.";
  }
}

JavaScriptEditor::JavaScriptEditor(engine::PasteboardController& engine, QWidget* parent)
    : QDialog(parent), engine_(engine) {
  setWindowTitle(Texts::transformTextWithJavaScript);
  setMinimumWidth(editorMinimumWidth);
  javaScriptCode_ = kit::Preferences::Observable<std::string>::make(Keys::javaScriptCode());

  const QFont general = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
  const QFont fixed = fontOfSize(QFontDatabase::systemFont(QFontDatabase::FixedFont), kit::systemFontSize());
  // The script is stored at every keystroke; the view follows changes made elsewhere.
  code_ = new PlainTextView({[this] { return javaScriptCode_->value(); },
                             [this](const std::string& code) { javaScriptCode_->setValue(code); }},
                            true, fixed, false);
  input_ = new PlainTextView({[this] { return inputText_; }, [this](const std::string& text) { inputText_ = text; }},
                             true, general, false);
  output_ = new PlainTextView({[this] { return outputText_; }, {}}, false, general, false);
  logs_ = new PlainTextView({[this] { return logsText_; }, {}}, false, fontOfSize(general, kit::smallSystemFontSize()),
                            false);
  code_->setFixedHeight(codeHeight);
  for (PlainTextView* field : {input_, output_, logs_}) field->setFixedHeight(fieldHeight);
  for (PlainTextView* field : {code_, input_}) kit::disableTextSubstitutions(*field);
  codeChanges_ =
      javaScriptCode_->objectWillChange().sink([this](const platform::rx::Unit&) { code_->showBoundText(); });

  auto* form = new kit::SettingsForm;
  auto* codeHeader = new QWidget;
  auto* codeHeaderLayout = new QHBoxLayout(codeHeader);
  codeHeaderLayout->setContentsMargins(0, 0, 0, 0);
  codeHeaderLayout->addWidget(boldLabel(Texts::code));
  codeHeaderLayout->addStretch(1);
  hintArrow_ = new QLabel(Texts::hintArrow);
  // Drawn in the accent colour of the palette in force, also after a switch between light and dark.
  hintArrow_->setForegroundRole(QPalette::Highlight);
  kit::ShowForAppRuns{
      .count = 1, .id = "JavaScriptEditorScreen__redArrow", .startShowingFromAppRun = 1, .oncePerAppRun = false}
      .apply(*hintArrow_);
  codeHeaderLayout->addWidget(hintArrow_);
  help_ = kit::InfoPopoverButton::withMarkdown(helpText(), helpWidth);
  help_->setControlSize(kit::ControlSize::small);
  codeHeaderLayout->addWidget(help_);
  form->addSection(codeHeader)->addRow(code_);

  auto* test = new QWidget;
  auto* testLayout = new QHBoxLayout(test);
  testLayout->setContentsMargins(0, 0, 0, 0);
  testLayout->addWidget(titled(Texts::input, input_), 1);
  auto* divider = new QFrame;
  divider->setFrameShape(QFrame::VLine);
  divider->setForegroundRole(QPalette::Mid);
  testLayout->addWidget(divider);
  testLayout->addWidget(titled(Texts::output, output_), 1);
  form->addSection(Texts::test)->addRow(test);
  form->addSection(Texts::logs)->addRow(logs_);

  run_ = new QPushButton(Texts::run);
  run_->setAutoDefault(false);
  connect(run_, &QPushButton::clicked, this, &JavaScriptEditor::run);
  // A shortcut rather than the button's own key: it holds on non-Latin keyboard layouts too.
  auto* runKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_R), this);
  connect(runKey, &QShortcut::activated, this, &JavaScriptEditor::run);
  auto* feedback = new kit::SendFeedbackButton(Texts::sendFeedback);
  done_ = new QPushButton(Texts::done);
  done_->setDefault(true);
  connect(done_, &QPushButton::clicked, this, &QDialog::accept);

  auto* toolbar = new QHBoxLayout;
  toolbar->setContentsMargins(20, 0, 20, 16);
  toolbar->addWidget(run_);
  toolbar->addSpacing(feedbackGap);
  toolbar->addWidget(feedback);
  toolbar->addStretch(1);
  toolbar->addWidget(done_);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(form);
  layout->addLayout(toolbar);
  // As tall as its content; only the width may change.
  setFixedHeight(sizeHint().height());
  kit::bindIsOnScreen(*this, {[this] { return engine_.isEditingCode(); },
                              [this](const bool& editing) { engine_.setEditingCode(editing); }});
}

JavaScriptEditor::~JavaScriptEditor() { engine_.setEditingCode(false); }

void JavaScriptEditor::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (wasShown_) return;
  wasShown_ = true;
  // The example only ever replaces an empty script (one of blanks is the user's too); the first opening uses up
  // its chance either way.
  const bool isFirstOpening = kit::LaunchHistory::runOnce("JavaScriptEditorScreen__addExampleContent");
  if (isFirstOpening && kit::Preferences::get(Keys::javaScriptCode()).empty()) addExampleContent();
}

void JavaScriptEditor::addExampleContent() {
  javaScriptCode_->setValue(Texts::exampleScript);
  code_->showBoundText();
  inputText_ = Texts::exampleInput;
  input_->showBoundText();
  outputText_ = Texts::exampleOutput;
  output_->showBoundText();
}

void JavaScriptEditor::run() {
  if (isRunning_) return;
  isRunning_ = true;
  run_->setEnabled(false);
  outputText_.clear();
  output_->showBoundText();

  // The engine's script step as its runner makes it, taken here on the main thread, which owns what the script
  // sees; it runs away from it.
  const engine::ScriptStep step = engine_.runScriptStep(kit::Preferences::get(Keys::javaScriptCode()));
  const std::string text = inputText_;
  QPointer<JavaScriptEditor> editor(this);
  platform::globalExecutor(platform::Priority::userInitiated).post([step, text, editor] {
    std::vector<std::string> lines;
    std::optional<std::string> output;
    try {
      output = step.run(
          text, [&lines](const std::string& line) { lines.push_back(line); }, engine::scriptEditorTimeLimit);
    } catch (...) {
      lines.push_back(scriptFailureLine(std::current_exception()));
    }
    platform::mainExecutor().post([editor, output = std::move(output), lines = std::move(lines)] {
      if (editor) editor->showRunResult(output, lines);
    });
  });
}

void JavaScriptEditor::showRunResult(const std::optional<std::string>& output,
                                     const std::vector<std::string>& logLines) {
  outputText_ = output.value_or("");
  logsText_.clear();
  for (size_t i = 0; i < logLines.size(); ++i) logsText_ += (i == 0 ? "" : "\n") + logLines[i];
  output_->showBoundText();
  logs_->showBoundText();
  isRunning_ = false;
  run_->setEnabled(true);
  Q_EMIT runFinished();
}

void presentJavaScriptEditor(QWidget* settingsWindow, std::function<void()> onClose) {
  auto* editor = new JavaScriptEditor(engine::PasteboardController::shared(), settingsWindow);
  editor->setAttribute(Qt::WA_DeleteOnClose);
  kit::beginPanel(*editor, settingsWindow, [onClose = std::move(onClose)](int) {
    if (onClose) onClose();
  });
}

}  // namespace app
