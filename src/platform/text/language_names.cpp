#include "platform/text/language_names.h"

#include <unicode/uloc.h>

#include "platform/core/utf8_scalar.h"

namespace platform {

std::optional<std::string> localizedLanguageName(std::string_view languageCode, std::string_view localeIdentifier) {
  const std::string code(languageCode), locale(localeIdentifier);
  if (code.empty()) return std::nullopt;
  std::u16string name(128, u'\0');
  UErrorCode status = U_ZERO_ERROR;
  int32_t length =
      uloc_getDisplayLanguage(code.c_str(), locale.c_str(), name.data(), static_cast<int32_t>(name.size()), &status);
  if (status == U_BUFFER_OVERFLOW_ERROR) {
    name.resize(static_cast<size_t>(length));
    status = U_ZERO_ERROR;
    length = uloc_getDisplayLanguage(code.c_str(), locale.c_str(), name.data(), length, &status);
  }
  // Without a name ICU hands back the code itself and says that it fell back to it.
  if (U_FAILURE(status) || status == U_USING_DEFAULT_WARNING || length <= 0) return std::nullopt;
  name.resize(static_cast<size_t>(length));
  return toUtf8(name);
}

}  // namespace platform
