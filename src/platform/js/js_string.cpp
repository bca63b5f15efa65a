#include "platform/js/js_string.h"

#include <unicode/ustring.h>

#include <vector>

namespace platform {

namespace {

constexpr UChar32 replacementCharacter = 0xFFFD;

std::u16string utf16FromUtf8(std::string_view utf8) {
  if (utf8.empty()) return {};
  int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strFromUTF8WithSub(nullptr, 0, &length, utf8.data(), static_cast<int32_t>(utf8.size()), replacementCharacter,
                       nullptr, &status);
  if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) return {};
  std::u16string result(static_cast<size_t>(length), u'\0');
  status = U_ZERO_ERROR;
  u_strFromUTF8WithSub(result.data(), length, nullptr, utf8.data(), static_cast<int32_t>(utf8.size()),
                       replacementCharacter, nullptr, &status);
  return U_SUCCESS(status) ? result : std::u16string();
}

std::string utf8FromUtf16(const char16_t* characters, size_t count) {
  if (count == 0) return {};
  int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strToUTF8WithSub(nullptr, 0, &length, characters, static_cast<int32_t>(count), replacementCharacter, nullptr,
                     &status);
  if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) return {};
  std::string result(static_cast<size_t>(length), '\0');
  status = U_ZERO_ERROR;
  u_strToUTF8WithSub(result.data(), length, nullptr, characters, static_cast<int32_t>(count), replacementCharacter,
                     nullptr, &status);
  return U_SUCCESS(status) ? result : std::string();
}

}  // namespace

JSStringHandle::JSStringHandle(std::string_view utf8) {
  std::u16string utf16 = utf16FromUtf8(utf8);
  static_assert(sizeof(JSChar) == sizeof(char16_t));
  string_ = JSStringCreateWithCharacters(reinterpret_cast<const JSChar*>(utf16.data()), utf16.size());
}

JSStringHandle JSStringHandle::adopt(JSStringRef string) { return JSStringHandle(string); }

JSStringHandle::~JSStringHandle() {
  if (string_) JSStringRelease(string_);
}

JSStringHandle::JSStringHandle(JSStringHandle&& other) noexcept : string_(other.string_) { other.string_ = nullptr; }

std::string JSStringHandle::utf8() const {
  if (!string_) return {};
  return utf8FromUtf16(reinterpret_cast<const char16_t*>(JSStringGetCharactersPtr(string_)),
                       JSStringGetLength(string_));
}

}  // namespace platform
