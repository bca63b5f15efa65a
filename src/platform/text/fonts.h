#pragma once

#include <string_view>

#include "platform/text/attributed_string.h"

namespace platform {

// Fonts as the desktop's font configuration (fontconfig) knows them.

// The desktop's default sans-serif family at the given size.
FontSpec systemFont(double pointSize);
// The size text takes when nothing sets one.
double systemFontSize();
// True when a face of the family is installed (letter case aside).
bool isFontInstalled(std::string_view family);

}  // namespace platform
