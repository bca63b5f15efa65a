#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QWidget>
#include <functional>
#include <optional>

namespace kit {

// Tells when the mouse pointer enters a rectangle of a widget, moves over it and leaves it. It tracks for as long
// as the holder lives: letting go of the holder ends the tracking (the widget is not told). Moves over the
// widget's own children are theirs and are not seen. Main thread only.
class TrackingArea : public QObject {
  Q_OBJECT

 public:
  struct Handlers {
    std::function<void()> entered;
    std::function<void()> exited;
    // In the widget's coordinates, for each move inside the rectangle.
    std::function<void(QPoint)> moved;
  };

  // `rect` in the widget's coordinates.
  TrackingArea(QWidget& view, const QRect& rect, Handlers handlers);

  QWidget* view() const { return view_; }
  const QRect& rect() const { return rect_; }
  bool isInside() const { return inside_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void pointerAt(std::optional<QPoint> position);

  QPointer<QWidget> view_;
  QRect rect_;
  Handlers handlers_;
  bool inside_ = false;
};

}  // namespace kit
