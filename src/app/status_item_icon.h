#pragma once

#include <QIcon>

namespace app {

// The clipboard drawn for the tray: dark strokes for light panels, light strokes for dark ones.
QIcon statusItemIcon(bool forDarkPanel);
// Whether the panel the icon sits on is dark, as far as the desktop's palette tells.
bool panelLooksDark();

}  // namespace app
