#pragma once

// A total order on dispatch time intervals (`never` above everything, other cases by length), and closed
// ranges built from two bounds in either order.

#include <cstdint>

#include "kit/foundation/durations.h"
#include "kit/foundation/fatal_error.h"

namespace kit {

// The length in nanoseconds; `never` and kinds not known here count 0 (the order puts `never` above everything
// anyway).
inline int64_t nanosecondCount(const DispatchTimeInterval& interval) {
  int64_t factor = 0;
  switch (interval.kind) {
    case DispatchTimeInterval::Kind::seconds:
      factor = 1'000'000'000;
      break;
    case DispatchTimeInterval::Kind::milliseconds:
      factor = 1'000'000;
      break;
    case DispatchTimeInterval::Kind::microseconds:
      factor = 1'000;
      break;
    case DispatchTimeInterval::Kind::nanoseconds:
      factor = 1;
      break;
    case DispatchTimeInterval::Kind::never:
      break;
  }
  int64_t count;
  if (__builtin_mul_overflow(interval.value, factor, &count)) fatalError("Time interval too long to compare");
  return count;
}

inline bool operator<(const DispatchTimeInterval& a, const DispatchTimeInterval& b) {
  if (a.kind == DispatchTimeInterval::Kind::never) return false;
  if (b.kind == DispatchTimeInterval::Kind::never) return true;
  return nanosecondCount(a) < nanosecondCount(b);
}
inline bool operator>(const DispatchTimeInterval& a, const DispatchTimeInterval& b) { return b < a; }
inline bool operator<=(const DispatchTimeInterval& a, const DispatchTimeInterval& b) { return !(b < a); }
inline bool operator>=(const DispatchTimeInterval& a, const DispatchTimeInterval& b) { return !(a < b); }

template <class T>
struct ClosedRange {
  T lowerBound;
  T upperBound;

  // From the smaller to the larger of two values that are ordered with each other.
  static ClosedRange between(const T& a, const T& b) {
    if (a <= b) return {a, b};
    if (b <= a) return {b, a};
    fatalError("ClosedRange bounds are not ordered with each other");
  }
  bool contains(const T& value) const { return lowerBound <= value && value <= upperBound; }
};

}  // namespace kit
