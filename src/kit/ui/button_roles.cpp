#include "kit/ui/button_roles.h"

#include <QAbstractButton>

namespace kit {

void markDestructive(QAbstractButton& button) {
  button.setProperty("destructive", true);
  button.setStyleSheet("color: #c01c28;");
}

}  // namespace kit
