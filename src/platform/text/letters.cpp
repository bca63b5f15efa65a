#include "platform/text/letters.h"

#include <unicode/uchar.h>

namespace platform {

bool isCasedLetter(char32_t scalar) {
  const auto type = u_charType(static_cast<UChar32>(scalar));
  return type == U_LOWERCASE_LETTER || type == U_UPPERCASE_LETTER;
}

}  // namespace platform
