#include "platform/text/normalization.h"

#include <unicode/normalizer2.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <optional>

#include "platform/core/ascii.h"
#include "platform/core/utf8_scalar.h"

namespace platform {

namespace {

using NormalizerInstance = const icu::Normalizer2* (*)(UErrorCode&);

// The text in a normal form; none for text that is no valid UTF-8 or that ICU cannot normalize.
std::optional<icu::UnicodeString> normalized(NormalizerInstance instance, std::string_view text) {
  if (!isValidUtf8(text)) return std::nullopt;
  UErrorCode status = U_ZERO_ERROR;
  const icu::Normalizer2* normalizer = instance(status);
  if (U_FAILURE(status) || normalizer == nullptr) return std::nullopt;
  const std::u16string utf16 = toUtf16(text);
  icu::UnicodeString result =
      normalizer->normalize(icu::UnicodeString(false, utf16.data(), static_cast<int32_t>(utf16.size())), status);
  if (U_FAILURE(status)) return std::nullopt;
  return result;
}

}  // namespace

bool isCanonicallyEquivalent(std::string_view a, std::string_view b) {
  if (a == b) return true;
  const auto first = normalized(&icu::Normalizer2::getNFDInstance, a);
  const auto second = normalized(&icu::Normalizer2::getNFDInstance, b);
  return first && second && *first == *second;
}

std::string canonicallyComposed(std::string_view text) {
  if (isAscii(text)) return std::string(text);  // ASCII is its own composed form
  const auto composed = normalized(&icu::Normalizer2::getNFCInstance, text);
  if (!composed) return std::string(text);
  return toUtf8(std::u16string_view(composed->getBuffer(), static_cast<size_t>(composed->length())));
}

bool canonicallyPrecedes(std::string_view a, std::string_view b) {
  // UTF-8 in byte order is in code point order.
  return canonicallyComposed(a) < canonicallyComposed(b);
}

}  // namespace platform
