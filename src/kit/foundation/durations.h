#pragma once

#include <chrono>
#include <compare>
#include <concepts>
#include <cstdint>
#include <functional>
#include <limits>
#include <nlohmann/json.hpp>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "kit/foundation/fatal_error.h"

namespace kit {

using TimeInterval = double;  // seconds
using Date = std::chrono::system_clock::time_point;
// The standard span: whole nanoseconds in 64 bits (about ±292 years).
using Duration = std::chrono::nanoseconds;

// A span as the dispatch layer counts it.
struct DispatchTimeInterval {
  enum class Kind { seconds, milliseconds, microseconds, nanoseconds, never };
  Kind kind = Kind::nanoseconds;
  int64_t value = 0;

  static DispatchTimeInterval seconds(int64_t n) { return {Kind::seconds, n}; }
  static DispatchTimeInterval milliseconds(int64_t n) { return {Kind::milliseconds, n}; }
  static DispatchTimeInterval microseconds(int64_t n) { return {Kind::microseconds, n}; }
  static DispatchTimeInterval nanoseconds(int64_t n) { return {Kind::nanoseconds, n}; }
  static DispatchTimeInterval never() { return {Kind::never, 0}; }
  friend bool operator==(const DispatchTimeInterval&, const DispatchTimeInterval&) = default;
};

// The kit's own span: seconds as a 64-bit float (fractional, negative or infinite).
class ZvDuration {
 public:
  enum class Unit { nanoseconds, microseconds, milliseconds, seconds, minutes, hours, days, weeks };
  // Seconds in one unit.
  static double rawValue(Unit unit);
  // The unit whose raw value is exactly `seconds`, if any.
  static std::optional<Unit> unit(double rawValue);

  constexpr ZvDuration() = default;
  constexpr explicit ZvDuration(double seconds) : seconds_(seconds) {}
  ZvDuration(double value, Unit unit) : seconds_(value * rawValue(unit)) {}
  // Unknown interval kinds are reported and give zero.
  explicit ZvDuration(DispatchTimeInterval interval);

  constexpr double seconds() const { return seconds_; }
  double value(Unit unit) const { return seconds_ / rawValue(unit); }
  // Whole nanoseconds, truncated toward zero; a span beyond the 64-bit range stops the program.
  DispatchTimeInterval dispatchTimeInterval() const;

  static ZvDuration nanoseconds(double n) { return {n, Unit::nanoseconds}; }
  static ZvDuration microseconds(double n) { return {n, Unit::microseconds}; }
  static ZvDuration milliseconds(double n) { return {n, Unit::milliseconds}; }
  static ZvDuration seconds(double n) { return ZvDuration(n); }
  static ZvDuration minutes(double n) { return {n, Unit::minutes}; }
  static ZvDuration hours(double n) { return {n, Unit::hours}; }
  static ZvDuration days(double n) { return {n, Unit::days}; }
  static ZvDuration weeks(double n) { return {n, Unit::weeks}; }
  static const ZvDuration zero;

  // Uniform over the closed range of seconds.
  template <class Generator>
  static ZvDuration random(ZvDuration lower, ZvDuration upper, Generator& generator) {
    return ZvDuration(uniformOver(lower.seconds_, upper.seconds_, generator));
  }
  static ZvDuration random(ZvDuration lower, ZvDuration upper);

  friend constexpr ZvDuration operator+(ZvDuration a, ZvDuration b) { return ZvDuration(a.seconds_ + b.seconds_); }
  friend constexpr ZvDuration operator-(ZvDuration a, ZvDuration b) { return ZvDuration(a.seconds_ - b.seconds_); }
  constexpr ZvDuration operator-() const { return ZvDuration(-seconds_); }
  constexpr ZvDuration& operator+=(ZvDuration other) { return *this = *this + other; }
  constexpr ZvDuration& operator-=(ZvDuration other) { return *this = *this - other; }
  friend constexpr bool operator==(ZvDuration a, ZvDuration b) { return a.seconds_ == b.seconds_; }
  friend constexpr std::partial_ordering operator<=>(ZvDuration a, ZvDuration b) { return a.seconds_ <=> b.seconds_; }

  template <class Generator>
  static double uniformOver(double lower, double upper, Generator& generator) {
    precondition(std::isfinite(upper - lower), "random(in:) needs a range of finite width");
    if (lower == upper) return lower;
    // Closed range: the upper bound itself is a possible result.
    return std::uniform_real_distribution<double>(lower,
                                                  std::nextafter(upper, std::numeric_limits<double>::max()))(generator);
  }

 private:
  double seconds_ = 0;
};

ZvDuration sum(const std::vector<ZvDuration>& durations);

// Coded as one bare number of seconds.
void to_json(nlohmann::json& json, const ZvDuration& duration);
void from_json(const nlohmann::json& json, ZvDuration& duration);
void to_json(nlohmann::ordered_json& json, const ZvDuration& duration);
void from_json(const nlohmann::ordered_json& json, ZvDuration& duration);

// The one rule by which a standard span becomes seconds: whole nanoseconds (truncated toward zero), saturating at
// the largest 64-bit nanosecond count.
TimeInterval toTimeInterval(Duration duration);
DispatchTimeInterval dispatchTimeInterval(Duration duration);
// Any chrono span with an integer count, including sub-nanosecond ones.
template <std::integral Rep, class Period>
TimeInterval toTimeInterval(std::chrono::duration<Rep, Period> duration);
template <std::integral Rep, class Period>
DispatchTimeInterval dispatchTimeInterval(std::chrono::duration<Rep, Period> duration);

// `never` and spans beyond the range saturate to the largest span; unknown kinds are reported and give zero.
Duration durationFrom(DispatchTimeInterval interval);

// Makers of standard spans. Float counts are truncated toward zero to nanoseconds; a count that is not finite or
// does not fit stops the program, as does an overflowing integer count.
namespace durations {
Duration seconds(double seconds);
inline Duration minutes(double count) { return seconds(count * 60); }
inline Duration hours(double count) { return seconds(count * 3600); }
inline Duration days(double count) { return seconds(count * 86400); }
Duration checkedSeconds(int64_t count, int64_t secondsPerUnit);
template <std::integral T>
Duration minutes(T count) {
  return checkedSeconds(static_cast<int64_t>(count), 60);
}
template <std::integral T>
Duration hours(T count) {
  return checkedSeconds(static_cast<int64_t>(count), 3600);
}
template <std::integral T>
Duration days(T count) {
  return checkedSeconds(static_cast<int64_t>(count), 86400);
}

Duration random(Duration lower, Duration upper);
template <class Generator>
Duration random(Duration lower, Duration upper, Generator& generator) {
  return seconds(ZvDuration::uniformOver(toTimeInterval(lower), toTimeInterval(upper), generator));
}
}  // namespace durations

// Dates moved by a span, at most to the last or the first date there is (an infinite span goes that far; a NaN span
// moves nothing).
Date adding(Date date, TimeInterval seconds);
inline Date adding(Date date, ZvDuration duration) { return adding(date, duration.seconds()); }
inline Date adding(Date date, Duration duration) { return adding(date, toTimeInterval(duration)); }
Date dateFromNow(TimeInterval seconds);
Date dateSince1970(TimeInterval seconds);
Date dateSinceReferenceDate(TimeInterval seconds);
inline Date dateFromNow(ZvDuration duration) { return dateFromNow(duration.seconds()); }
inline Date dateSince1970(ZvDuration duration) { return dateSince1970(duration.seconds()); }
inline Date dateSinceReferenceDate(ZvDuration duration) { return dateSinceReferenceDate(duration.seconds()); }
inline Date dateFromNow(Duration duration) { return dateFromNow(toTimeInterval(duration)); }
inline Date dateSince1970(Duration duration) { return dateSince1970(toTimeInterval(duration)); }
inline Date dateSinceReferenceDate(Duration duration) { return dateSinceReferenceDate(toTimeInterval(duration)); }

bool isInThePast(Date date);
bool isInTheFuture(Date date);
// True when the date lies between now and now + duration (a negative duration looks back).
bool isWithin(Date date, Duration duration);

enum class RoundingRule { toNearestOrAwayFromZero, toNearestOrEven, up, down, towardZero, awayFromZero };
double rounded(double value, int decimalPlaces, RoundingRule rule);

struct HoursMinutesSeconds {
  int64_t hours, minutes, seconds;
  friend bool operator==(const HoursMinutesSeconds&, const HoursMinutesSeconds&) = default;
};
// Truncates toward zero; a value that is not finite or beyond the 64-bit range stops the program.
HoursMinutesSeconds hoursMinutesSeconds(TimeInterval seconds);
// "HH:MM:SS", "HH:MM", "MM:SS" or "MM"; hours shown when automatic and at least an hour, or when asked for.
std::string formattedAsClock(TimeInterval seconds, bool showHours, bool showSeconds, bool automaticHours);

// --- templates ---

namespace detail {
__extension__ typedef __int128 Int128;
// Whole seconds in nanoseconds (beyond 64 bits stops the program) plus the sub-second nanoseconds, saturating
// toward the span's own sign.
int64_t wholeNanoseconds(Int128 wholeSeconds, Int128 nanosecondRemainder);
}  // namespace detail

template <std::integral Rep, class Period>
TimeInterval toTimeInterval(std::chrono::duration<Rep, Period> duration) {
  auto nanoseconds = dispatchTimeInterval(duration);
  return static_cast<double>(nanoseconds.value) / 1e9;
}

template <std::integral Rep, class Period>
DispatchTimeInterval dispatchTimeInterval(std::chrono::duration<Rep, Period> duration) {
  // Exact in 128 bits: count × num / den seconds, split into whole seconds and a remainder toward zero.
  using detail::Int128;
  Int128 numerator = static_cast<Int128>(duration.count()) * Period::num;
  Int128 wholeSeconds = numerator / Period::den;
  Int128 remainder = numerator % Period::den;  // same sign as the span
  Int128 nanoseconds = remainder * 1'000'000'000 / Period::den;
  return DispatchTimeInterval::nanoseconds(detail::wholeNanoseconds(wholeSeconds, nanoseconds));
}

}  // namespace kit

template <>
struct std::hash<kit::ZvDuration> {
  size_t operator()(const kit::ZvDuration& duration) const noexcept {
    return std::hash<double>()(duration.seconds() == 0 ? 0.0 : duration.seconds());
  }
};
