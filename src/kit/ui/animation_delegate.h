#pragma once

#include <QObject>
#include <functional>

class QAbstractAnimation;

namespace kit {

// Tells closures when an animation starts and when it stops, with whether it ran to its end (false when it was
// stopped early). A child of the animation, so it goes with it.
class ZvCAAnimationDelegate : public QObject {
  Q_OBJECT

 public:
  explicit ZvCAAnimationDelegate(QAbstractAnimation& animation);

  std::function<void()> didStartHandler;
  std::function<void(bool finished)> didStopHandler;
};

}  // namespace kit
