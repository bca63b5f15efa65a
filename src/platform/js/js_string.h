#pragma once

#include <JavaScriptCore/JavaScript.h>

#include <string>
#include <string_view>

namespace platform {

// Owns one JSStringRef. Text crosses into the engine as UTF-16 so that a NUL inside it survives.
class JSStringHandle {
 public:
  // Invalid UTF-8 becomes U+FFFD.
  explicit JSStringHandle(std::string_view utf8);
  // Takes over a string the engine handed out (a "Copy" or "Create" result); null is allowed.
  static JSStringHandle adopt(JSStringRef string);
  ~JSStringHandle();
  JSStringHandle(JSStringHandle&& other) noexcept;
  JSStringHandle& operator=(JSStringHandle&&) = delete;
  JSStringHandle(const JSStringHandle&) = delete;
  JSStringHandle& operator=(const JSStringHandle&) = delete;

  JSStringRef get() const { return string_; }
  // Lone surrogates become U+FFFD; a null handle gives "".
  std::string utf8() const;

 private:
  explicit JSStringHandle(JSStringRef string) : string_(string) {}
  JSStringRef string_ = nullptr;
};

}  // namespace platform
