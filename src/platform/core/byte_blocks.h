#pragma once

#include <bit>
#include <cstddef>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Scanning text for a few kinds of bytes sixteen at a time, where the processor compares them at once. Header-only,
// so that the URL layer, which the rest of the text layer builds on, can use it.

namespace platform {

// Which bytes a scan stops at besides those it names.
enum class AlsoStopAt {
  nonAscii,                  // bytes outside ASCII
  controlsSpaceAndNonAscii,  // those, the controls and the space
};

// The first of `bytes` (or of what `also` names) at or after `from`, looked for in whole blocks of sixteen; where the
// whole blocks end when they hold none, from where the caller goes on byte by byte. `from` itself without the
// instructions to compare blocks.
template <AlsoStopAt also, char... bytes>
inline std::size_t skipBlocksWithout(std::string_view text, std::size_t from) {
  std::size_t i = from;
#if defined(__SSE2__)
  for (; i + 16 <= text.size(); i += 16) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
    // The high bit of each byte marks one outside ASCII; compared as signed, those lie below "!" with the controls.
    __m128i found;
    if constexpr (also == AlsoStopAt::nonAscii) {
      found = block;
    } else {
      found = _mm_cmplt_epi8(block, _mm_set1_epi8('!'));
    }
    ((found = _mm_or_si128(found, _mm_cmpeq_epi8(block, _mm_set1_epi8(bytes)))), ...);
    if (const auto mask = static_cast<unsigned>(_mm_movemask_epi8(found)); mask != 0) {
      return i + static_cast<std::size_t>(std::countr_zero(mask));
    }
  }
#endif
  return i;
}

}  // namespace platform
