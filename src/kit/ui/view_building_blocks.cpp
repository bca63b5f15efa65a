#include "kit/ui/view_building_blocks.h"

#include <QLabel>
#include <QRegion>

namespace kit {

void setMultilineFixedSize(QLabel& label) {
  label.setWordWrap(true);
  QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Minimum);
  policy.setHeightForWidth(true);
  label.setSizePolicy(policy);
}

void setReverseMask(QWidget& widget, const QRegion& mask) { widget.setMask(QRegion(widget.rect()).subtracted(mask)); }

}  // namespace kit
