#pragma once

#include <QDialog>
#include <QPointer>
#include <functional>

class QProgressBar;

namespace kit {

class CocoaLabel;

// A sheet over a window that shows that a long operation runs: a busy indicator and an optional message under it.
// Escape hides it and then calls onCancel. Main thread only.
class ProgressSpinnerSheet : public QDialog {
  Q_OBJECT

 public:
  ProgressSpinnerSheet();

  // Shows the sheet over the window, modal to it, with the indicator running.
  void present(QWidget& presenterWindow);
  // Takes the sheet away (on the next pass of the event loop): stops the indicator and clears the message.
  void hide();

  // The message; empty shows the indicator alone.
  QString text() const { return text_; }
  void setText(const QString& text);

  bool isShown() const { return isShown_; }
  QWidget* presenterWindow() const { return presenterWindow_; }
  QProgressBar* spinner() const { return spinner_; }
  CocoaLabel* label() const { return label_; }

  std::function<void()> onCancel;

 protected:
  void reject() override;

 private:
  void applyText();
  // The sheet takes the size of its content with the insets around it.
  void fitToContent();

  QPointer<QWidget> presenterWindow_;
  QProgressBar* spinner_;
  CocoaLabel* label_;
  // The spinner over the message, at the insets inside the sheet.
  QWidget* container_;
  QString text_;
  bool isShown_ = false;
};

}  // namespace kit
