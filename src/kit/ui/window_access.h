#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <vector>

#include "kit/ui/window_presentation.h"
#include "platform/core/task.h"

class QDialog;
class QWidget;

namespace kit {

// Tells a piece of content which window hosts it: `onWindow` gets the window at once and again whenever the content
// moves to another window; nullptr while the content is in none and after it leaves one. A widget without a parent
// is a window only while it is shown: before, it may as well be a detached container as a window being built, and
// hidden, it is off the screen. Belongs to `owner` (the content when none is given), the object whose `onWindow` it
// calls, and goes with it; it tells nothing more once the content is gone.
class WindowAccessor : public QObject {
  Q_OBJECT

 public:
  WindowAccessor(QWidget& content, std::function<void(QWidget* window)> onWindow, QObject* owner = nullptr);

  QWidget* window() const { return window_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void followAncestors();
  void report();

  QPointer<QWidget> content_;
  // The content's ancestors up to its top-level widget: moving any of them may take the content to another window.
  std::vector<QPointer<QWidget>> ancestors_;
  QPointer<QWidget> window_;
  bool hasReported_ = false;
  bool isReporting_ = false;
  std::function<void(QWidget*)> onWindow_;
};

// Calls `onResize`, when there is one, whenever the window hosting `content` changes its size or goes full screen.
// Follows the content into another window; lives as long as the content.
class WindowResizeObserver : public QObject {
  Q_OBJECT

 public:
  explicit WindowResizeObserver(QWidget& content, std::function<void()> onResize = {});

  std::function<void()> onResize;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void resized();

  QPointer<QWidget> window_;
};

// Shows `panel` (a chooser, a file dialog) and hands its result (QDialog::Accepted or Rejected) to `done` once, when
// it ends (Rejected when it goes away first): as a sheet on `window`, modal to it, when one is given; else on its
// own, on `levelAlone` (above other windows unless told otherwise) and blocking none. The application is brought
// forward first (a tray application is never in front by itself).
void beginPanel(QDialog& panel, QWidget* window, std::function<void(int result)> done,
                WindowLevel levelAlone = WindowLevel::floating);
// The same, awaited: ends with the panel's result once the panel has ended.
platform::Task<int> beginPanel(QDialog& panel, QWidget* window);

// Sets a property of the window hosting `content` through `apply`, once there is a window and again in every window
// the content comes to. One setting per property and content: a later call for the same `property` replaces the
// earlier one and applies at once.
void setHostingWindowProperty(QWidget& content, const char* property,
                              const std::function<void(QWidget& window)>& apply);

// Puts the window hosting `content` on the level, once there is one.
void setHostingWindowLevel(QWidget& content, WindowLevel level);
// Gives the window hosting `content` a minimize button, or takes it away, once there is one; the window's other
// buttons stay as they are.
void setWindowIsMinimizable(QWidget& content, bool isMinimizable);

}  // namespace kit
