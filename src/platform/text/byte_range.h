#pragma once

#include <cstddef>

namespace platform {

// A range of byte offsets into a UTF-8 string.
struct ByteRange {
  std::size_t location = 0;
  std::size_t length = 0;

  std::size_t end() const { return location + length; }
  bool empty() const { return length == 0; }
  bool operator==(const ByteRange&) const = default;

  static ByteRange fromBounds(std::size_t start, std::size_t end) { return {start, end - start}; }
};

}  // namespace platform
