#pragma once

#include <QRect>
#include <QWidget>
#include <functional>
#include <optional>

namespace kit {

// A plain view that reports presses of the primary (left) mouse button on it: true when the button goes down,
// false when it comes up. Those events go no further; the other buttons' events go on to the parent.
class ClickableView : public QWidget {
  Q_OBJECT

 public:
  std::function<void(bool pressed)> pressed;

 protected:
  explicit ClickableView(const QRect& frame, QWidget* parent);
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void report(bool isPressed);

  friend struct ClickableViewRepresentable;
};

// The same, except that the release ending a drag with the primary button is not reported.
class ClickableDraggableView : public ClickableView {
  Q_OBJECT

 public:
  // None until the first drag; then whether the current press has dragged.
  std::optional<bool> dragged;

 protected:
  explicit ClickableDraggableView(const QRect& frame, QWidget* parent) : ClickableView(frame, parent) {}
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

  friend struct ClickableViewRepresentable;

 private:
  void press(bool isPressed);
};

// Describes a clickable view: makeView() creates it (the dragging kind when `draggable`), updateView() gives an
// existing one the current closure and nothing else (a later change of `draggable` or `frame` does not apply).
struct ClickableViewRepresentable {
  std::function<void(bool pressed)> pressed;
  bool draggable = false;
  QRect frame;

  ClickableView* makeView(QWidget* parent = nullptr) const;
  void updateView(ClickableView& view) const { view.pressed = pressed; }
};

}  // namespace kit
