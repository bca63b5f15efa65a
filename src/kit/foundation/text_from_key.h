#pragma once

#include <string>
#include <string_view>

namespace kit::Text {

// The translation context under which the kit's texts are looked up in the installed catalogues.
inline constexpr const char* translationContext = "ZvKit";

// The text of a localisation key: its translation in the catalogues installed in the application (QTranslator),
// else the key itself. Safe before the application object exists.
std::string fromKey(std::string_view key);

}  // namespace kit::Text
