#pragma once

#include <QIcon>

namespace app {

// The clipboard drawn for the tray: dark strokes for light panels, light strokes for dark ones.
QIcon statusItemIcon(bool forDarkPanel);

}  // namespace app
