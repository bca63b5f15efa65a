#include "kit/ui/animation_delegate.h"

#include <QAbstractAnimation>

namespace kit {

ZvCAAnimationDelegate::ZvCAAnimationDelegate(QAbstractAnimation& animation) : QObject(&animation) {
  connect(&animation, &QAbstractAnimation::stateChanged, this,
          [this, &animation](QAbstractAnimation::State state, QAbstractAnimation::State previous) {
            if (state == QAbstractAnimation::Running && previous == QAbstractAnimation::Stopped) {
              if (didStartHandler) didStartHandler();
            } else if (state == QAbstractAnimation::Stopped) {
              // The end an animation runs to is its start when it runs backward.
              const bool finished =
                  animation.direction() == QAbstractAnimation::Backward
                      ? animation.currentTime() <= 0
                      : animation.totalDuration() >= 0 && animation.currentTime() >= animation.totalDuration();
              if (didStopHandler) didStopHandler(finished);
            }
          });
}

}  // namespace kit
