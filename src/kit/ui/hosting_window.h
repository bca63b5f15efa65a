#pragma once

#include <QPointer>
#include <QRect>
#include <QWidget>

namespace kit {

// A top-level window that shows one content widget. It can refuse the keyboard focus, close on Escape and keep
// its frame within its screen's available area. It deletes itself, and its content, once closed: whoever keeps a
// pointer to it holds a QPointer.
class HostingWindow : public QWidget {
  Q_OBJECT

 public:
  struct Options {
    bool constrainWindowToScreen = false;
    bool canBecomeKey = true;
    bool closeOnEsc = false;
  };

  // Takes the content. Titled, closable, minimisable and resizable, 100 × 100 until the content says otherwise.
  HostingWindow(QWidget* content, Options options);
  // Says so on standard output ("HostingWindow - DEINIT"), a trace of windows that are really let go.
  ~HostingWindow() override;

  QWidget* content() const { return content_; }
  const Options& options() const { return options_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void keepOnScreen();

  Options options_;
  QPointer<QWidget> content_;
};

// The frame kept within a screen's available area: no wider or taller than the area, not past its far edges,
// not before its start, except that it may hang up to 30 pixels below the bottom edge.
QRect constrainedFrame(const QRect& proposed, const QRect& available);

}  // namespace kit
