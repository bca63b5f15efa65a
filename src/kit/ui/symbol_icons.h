#pragma once

#include <QIcon>
#include <string_view>

#include "kit/foundation/bundle_identifier.h"

namespace kit {

// Icons of our own for the symbols the interface names, drawn in the palette's text colour (the notice symbol
// in its warning colours), so that they look the same under every icon theme and under none:
// "gearshape", "command" (a keyboard), "nosign", "sparkles", "exclamationmark.circle.fill", "plus", "minus",
// "info.circle.fill", "magnifyingglass", "app.generic" (an application without an icon), "doc.on.doc" (copy),
// "checkmark", "square.and.arrow.up" (share) and "envelope".
// An empty icon for any other name.
QIcon symbolIcon(std::string_view symbolName);

// The theme's icon of that name when the desktop has one, else symbolIcon(symbolName).
QIcon themeIcon(const char* themeName, std::string_view symbolName);

// An application's icon: its image file or theme icon, else the generic application icon.
QIcon appIconImage(const AppIcon& icon);

}  // namespace kit
