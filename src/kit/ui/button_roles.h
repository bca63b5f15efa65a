#pragma once

class QAbstractButton;

namespace kit {

// Shows the button as one that destroys something (red text).
void markDestructive(QAbstractButton& button);

}  // namespace kit
