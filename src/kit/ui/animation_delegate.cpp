#include "kit/ui/animation_delegate.h"

#include <QAbstractAnimation>

namespace kit {

ZvCAAnimationDelegate::ZvCAAnimationDelegate(QAbstractAnimation& animation) : QObject(&animation) {
  connect(&animation, &QAbstractAnimation::stateChanged, this,
          [this, &animation](QAbstractAnimation::State state, QAbstractAnimation::State previous) {
            // Each handler runs on a copy: it may delete the animation, and this delegate with it.
            if (state == QAbstractAnimation::Running && previous == QAbstractAnimation::Stopped) {
              if (const std::function<void()> handler = didStartHandler) handler();
            } else if (state == QAbstractAnimation::Stopped) {
              // The end an animation runs to is its start when it runs backward.
              const bool finished =
                  animation.direction() == QAbstractAnimation::Backward
                      ? animation.currentTime() <= 0
                      : animation.totalDuration() >= 0 && animation.currentTime() >= animation.totalDuration();
              if (const std::function<void(bool)> handler = didStopHandler) handler(finished);
            }
          });
}

}  // namespace kit
