#pragma once

#include <cstddef>

namespace platform {

// The writers count what the escapes of a text this long or longer add before writing it, so that its output is
// written into one buffer: growing one would hold it twice while it moves. A shorter text's output may grow, which
// costs less than counting.
inline constexpr std::size_t textCountedBeforeWriting = std::size_t{1} << 20;

}  // namespace platform
