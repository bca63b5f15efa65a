#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The name of a language ("de", "nb") in the language of a locale ("en_US_POSIX" gives "German", "Norwegian Bokmål";
// "de" gives "Deutsch"); none when the locale data has no name for the code.
std::optional<std::string> localizedLanguageName(std::string_view languageCode, std::string_view localeIdentifier);

}  // namespace platform
