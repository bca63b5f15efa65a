#pragma once

#include <QSizeF>
#include <QWidget>

#include "kit/foundation/geometry.h"
#include "platform/core/rx.h"

class QPainter;

namespace kit {

// A view that says once when it is first given a parent and once when it first appears in a shown window; later
// moves say nothing, and subscribers that come after an event has passed do not get it. It draws its content at
// an absolute scale of its own. Main thread only.
class ZvView : public QWidget {
  Q_OBJECT

 public:
  explicit ZvView(QWidget* parent = nullptr);

  bool didMoveToSuperviewWasCalled() const { return didMoveToSuperviewWasCalled_; }
  bool didMoveToWindowWasCalled() const { return didMoveToWindowWasCalled_; }
  platform::rx::Publisher<platform::rx::Unit> didMoveToSuperviewPublisher() const {
    return didMoveToSuperviewSubject_.publisher();
  }
  platform::rx::Publisher<platform::rx::Unit> didAppearPublisher() const { return didAppearSubject_.publisher(); }

  // The scale the content is drawn at, the same on both axes after setScale (1 at first).
  double scale() const { return scale_.width(); }
  // Draws the content at that scale from now on. Scales do not add up: setting 2 twice stays at 2.
  void setScale(double scale);
  // The scale on each axis. A size that is not finite changes nothing and is reported.
  void scaleTo(const QSizeF& size);

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  // Draws the content, with the painter already scaled.
  virtual void paintContent(QPainter& painter);

 private:
  bool didMoveToSuperviewWasCalled_ = false;
  bool didMoveToWindowWasCalled_ = false;
  platform::rx::PassthroughSubject<platform::rx::Unit> didMoveToSuperviewSubject_;
  platform::rx::PassthroughSubject<platform::rx::Unit> didAppearSubject_;
  QSizeF scale_ = unitSize;
};

// A view that calls `onAdded` when it first appears in a shown window and then removes itself; being placed in a
// parent that is not shown does nothing. It never takes the keyboard focus.
class AddedToSuperviewObserverView : public QWidget {
  Q_OBJECT

 public:
  explicit AddedToSuperviewObserverView(QWidget* parent = nullptr);

  std::function<void()> onAdded;

 protected:
  bool event(QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  // Shows the view when its parent is on the screen already, once the caller has set onAdded.
  void showInShownParent();

  bool done_ = false;
};

}  // namespace kit
