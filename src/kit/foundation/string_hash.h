#pragma once

#include <cstdint>
#include <string_view>

namespace kit {

// 64-bit FNV-1a over the UTF-8 bytes of a text.
constexpr uint64_t fnv1aHash(std::string_view text) {
  uint64_t hash = 0xcbf29ce484222325ULL;
  for (char c : text) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001b3ULL;
  }
  return hash;
}

}  // namespace kit
