#pragma once

#include <QDialog>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "kit/preferences/observable.h"

class QLabel;
class QPushButton;

namespace engine {
class PasteboardController;
}

namespace kit {
class InfoPopoverButton;
}

namespace app {

class PlainTextView;

// The log line of a failed run: "[" + name + " at " + line + ":" + column + "] " + message for an exception the
// script threw, "[Error] " + description for any other failure.
std::string scriptFailureLine(const std::exception_ptr& failure);

// The editor of the user's script, a sheet over the settings window: the script (stored at every keystroke), a
// test input, and the output and log lines of the last run. While it is open the engine leaves copies to the
// script alone and scripts see our own id as their source application. The first opening ever, when no script is
// stored, shows an example. Main thread only.
class JavaScriptEditor : public QDialog {
  Q_OBJECT

 public:
  explicit JavaScriptEditor(engine::PasteboardController& engine, QWidget* parent = nullptr);
  ~JavaScriptEditor() override;

  PlainTextView* codeView() const { return code_; }
  PlainTextView* inputView() const { return input_; }
  PlainTextView* outputView() const { return output_; }
  PlainTextView* logsView() const { return logs_; }
  QPushButton* runButton() const { return run_; }
  QPushButton* doneButton() const { return done_; }
  QLabel* hintArrow() const { return hintArrow_; }
  kit::InfoPopoverButton* helpButton() const { return help_; }

  // Runs the stored script on the test input under the editor's time limit, away from the main thread so that
  // the editor stays responsive; the output and the logs are replaced once it ends. Ignored while a run goes on.
  void run();
  bool isRunning() const { return isRunning_; }

 Q_SIGNALS:
  void runFinished();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void addExampleContent();
  void showRunResult(const std::optional<std::string>& output, const std::vector<std::string>& logLines);

  engine::PasteboardController& engine_;
  std::shared_ptr<kit::Preferences::Observable<std::string>> javaScriptCode_;
  platform::rx::AnyCancellable codeChanges_;
  std::string inputText_, outputText_, logsText_;
  PlainTextView* code_;
  PlainTextView* input_;
  PlainTextView* output_;
  PlainTextView* logs_;
  QPushButton* run_;
  QPushButton* done_;
  QLabel* hintArrow_;
  kit::InfoPopoverButton* help_;
  bool isRunning_ = false;
  bool wasShown_ = false;
};

// Shows the editor as a sheet over the settings window; `onClose` runs once it has closed.
void presentJavaScriptEditor(QWidget* settingsWindow, std::function<void()> onClose);

}  // namespace app
