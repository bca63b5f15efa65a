#include "platform/text/normalization.h"

#include <unicode/normalizer2.h>
#include <unicode/unistr.h>

#include "platform/core/utf8_scalar.h"

namespace platform {

bool isCanonicallyEquivalent(std::string_view a, std::string_view b) {
  if (a == b) return true;
  if (!isValidUtf8(a) || !isValidUtf8(b)) return false;
  UErrorCode status = U_ZERO_ERROR;
  const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(status);
  if (U_FAILURE(status) || nfd == nullptr) return false;
  const std::u16string first = toUtf16(a), second = toUtf16(b);
  const icu::UnicodeString decomposedFirst =
      nfd->normalize(icu::UnicodeString(false, first.data(), static_cast<int32_t>(first.size())), status);
  const icu::UnicodeString decomposedSecond =
      nfd->normalize(icu::UnicodeString(false, second.data(), static_cast<int32_t>(second.size())), status);
  return U_SUCCESS(status) && decomposedFirst == decomposedSecond;
}

}  // namespace platform
