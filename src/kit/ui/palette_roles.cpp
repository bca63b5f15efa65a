#include "kit/ui/palette_roles.h"

#include <QWidget>

namespace kit {

void inheritColorRole(QWidget& widget, QPalette::ColorRole role) {
  const QPalette own = widget.palette();
  QPalette kept;  // nothing set: what is not copied below is inherited
  for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    for (int index = 0; index < QPalette::NColorRoles; ++index) {
      const auto each = static_cast<QPalette::ColorRole>(index);
      if (each != QPalette::NoRole && each != role && own.isBrushSet(group, each))
        kept.setBrush(group, each, own.brush(group, each));
    }
  }
  widget.setPalette(kept);
}

}  // namespace kit
