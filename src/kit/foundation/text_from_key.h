#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kit {

// A text to be looked up as a localisation key, where a form also takes a text shown as it is.
struct LocalizedStringKey {
  std::string key;
};

}  // namespace kit

namespace kit::Text {

// The translation context under which the kit's texts are looked up in the installed catalogues.
inline constexpr const char* translationContext = "ZvKit";

// The text of a localisation key: its translation in the catalogues installed in the application (QTranslator),
// else the key itself. Safe before the application object exists.
std::string fromKey(std::string_view key);
// The same for a key with interpolated values: each "%@" of the text looked up takes the next argument, as it is
// ("Quit %@" with "Quillet" reads "Quit Quillet"). A "%@" without an argument left stays.
std::string fromKey(std::string_view key, const std::vector<std::string>& arguments);

}  // namespace kit::Text
