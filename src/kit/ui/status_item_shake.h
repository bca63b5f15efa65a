#pragma once

#include <QIcon>
#include <chrono>

#include "kit/ui/view_layout.h"

class QSystemTrayIcon;

namespace kit {

// Draws attention to a status item, whose place on screen belongs to the desktop's tray: its icon is shown for a
// few frames drawn shifted along the axis, at the offsets and the pace of a shaken view (see shake), then the item's
// icon comes back. Works whichever tray shows the item, since only the icon changes. Nothing moves when the
// desktop asks for less motion; an icon that someone else sets meanwhile is kept. Main thread only.
void shakeStatusItem(QSystemTrayIcon& item, std::chrono::milliseconds duration, ShakeAxis axis, int distance);

// The icon drawn shifted by `offset` pixels at the tray's usual side of 22 pixels (proportionally at other sides).
QIcon shiftedIcon(const QIcon& icon, ShakeAxis axis, double offset);

}  // namespace kit
