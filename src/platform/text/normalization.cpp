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

std::string canonicallyComposed(std::string_view text) {
  if (!isValidUtf8(text)) return std::string(text);
  UErrorCode status = U_ZERO_ERROR;
  const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
  if (U_FAILURE(status) || nfc == nullptr) return std::string(text);
  const std::u16string utf16 = toUtf16(text);
  const icu::UnicodeString composed =
      nfc->normalize(icu::UnicodeString(false, utf16.data(), static_cast<int32_t>(utf16.size())), status);
  if (U_FAILURE(status)) return std::string(text);
  return toUtf8(std::u16string_view(composed.getBuffer(), static_cast<size_t>(composed.length())));
}

bool canonicallyPrecedes(std::string_view a, std::string_view b) {
  // UTF-8 in byte order is in code point order.
  return canonicallyComposed(a) < canonicallyComposed(b);
}

}  // namespace platform
