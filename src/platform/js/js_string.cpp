#include "platform/js/js_string.h"

#include <string_view>
#include <type_traits>

#include "platform/text/utf8.h"

namespace platform {

namespace {

// Most copied text is ASCII, which crosses unit for unit without decoding.
template <class Unit>
bool isAscii(std::basic_string_view<Unit> text) {
  std::make_unsigned_t<Unit> bits = 0;
  for (Unit unit : text) bits |= static_cast<std::make_unsigned_t<Unit>>(unit);
  return bits < 0x80;
}

}  // namespace

JSStringHandle::JSStringHandle(std::string_view utf8) {
  std::u16string utf16 = isAscii(utf8) ? std::u16string(utf8.begin(), utf8.end()) : toUtf16(utf8);
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
  std::u16string_view utf16(reinterpret_cast<const char16_t*>(JSStringGetCharactersPtr(string_)),
                            JSStringGetLength(string_));
  return isAscii(utf16) ? std::string(utf16.begin(), utf16.end()) : toUtf8(utf16);
}

}  // namespace platform
