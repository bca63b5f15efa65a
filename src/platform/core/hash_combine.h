#pragma once

#include <cstddef>

namespace platform {

// Combines hashes in order, so that swapped members hash differently.
inline void hashCombine(std::size_t& seed, std::size_t value) {
  seed ^= value + 0x9e3779b97f4a7c15ULL + (seed << 12) + (seed >> 4);
}

}  // namespace platform
