#pragma once

#include <cstddef>
#include <string_view>

namespace platform {

inline constexpr char32_t replacementCharacter = 0xFFFD;

// Decodes the scalar at `offset`. Returns the scalar and its length in bytes; an invalid sequence (an overlong form
// or a surrogate included) gives U+FFFD with length 1, so that every byte is consumed exactly once.
struct DecodedScalar {
  char32_t scalar;
  std::size_t length;
  bool valid;
};
DecodedScalar decodeUtf8(std::string_view text, std::size_t offset);

}  // namespace platform
