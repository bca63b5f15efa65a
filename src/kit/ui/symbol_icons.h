#pragma once

#include <QIcon>
#include <string_view>

namespace kit {

// Icons of our own for the symbols the interface names, drawn in the palette's text colour (the notice symbol
// in its warning colours), so that they look the same under every icon theme and under none:
// "gearshape", "command" (a keyboard), "nosign", "sparkles" and "exclamationmark.circle.fill".
// An empty icon for any other name.
QIcon symbolIcon(std::string_view symbolName);

// The theme's icon of that name when the desktop has one, else symbolIcon(symbolName).
QIcon themeIcon(const char* themeName, std::string_view symbolName);

}  // namespace kit
