#include "kit/foundation/foundation_helpers.h"

#include <cxxabi.h>

#include <cstdlib>
#include <memory>

#include "kit/foundation/fatal_error.h"

namespace kit {

std::string typeName(const std::type_info& type) {
  int status = 0;
  std::unique_ptr<char, decltype(&std::free)> demangled(abi::__cxa_demangle(type.name(), nullptr, nullptr, &status),
                                                        &std::free);
  return status == 0 && demangled ? std::string(demangled.get()) : std::string(type.name());
}

Bytes8 subrange(const Bytes8& bytes, std::size_t from, std::size_t to) {
  precondition(from <= to && to <= bytes.size(), "Range out of bounds");
  return Bytes8(bytes.begin() + static_cast<std::ptrdiff_t>(from), bytes.begin() + static_cast<std::ptrdiff_t>(to));
}

Bytes8 droppingTrailingNullByte(Bytes8 bytes) {
  if (!bytes.empty() && bytes.back() == 0) bytes.pop_back();
  return bytes;
}

std::string droppingTrailingNullByte(std::string bytes) {
  if (!bytes.empty() && bytes.back() == '\0') bytes.pop_back();
  return bytes;
}

platform::Url urlFromLiteral(std::string_view text) {
  auto url = platform::Url::parseStrict(text);
  precondition(url.has_value(), "Invalid URL literal");
  return *url;
}

}  // namespace kit
