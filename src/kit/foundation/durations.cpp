#include "kit/foundation/durations.h"

#include <cmath>
#include <cstdio>

#include "kit/foundation/general_error.h"
#include "kit/foundation/json_coding.h"
#include "kit/foundation/report_error.h"
#include "kit/foundation/time_interval_ordering.h"
#include "platform/core/clock.h"

namespace kit {
namespace {

using detail::Int128;

constexpr int64_t int64Max = std::numeric_limits<int64_t>::max();
constexpr int64_t int64Min = std::numeric_limits<int64_t>::min();

// A float that must convert to a 64-bit integer (truncated toward zero); anything else is a programmer error.
int64_t checkedTruncation(double value, std::source_location location = std::source_location::current()) {
  // 2^63 is exactly representable; every double below it and at or above -2^63 fits.
  if (!(value < 9223372036854775808.0 && value >= -9223372036854775808.0)) {
    fatalError("Float value cannot be converted to a 64-bit integer because it is outside the representable range",
               location);
  }
  return static_cast<int64_t>(value);
}

void reportUnknownIntervalKind(std::source_location location = std::source_location::current()) {
  ZvApp::reportError(GeneralError("DispatchTimeInterval received a new enum case. Please handle it."), {}, location);
}

}  // namespace

const ZvDuration ZvDuration::zero{0.0};

double ZvDuration::rawValue(Unit unit) {
  switch (unit) {
    case Unit::nanoseconds:
      return 1e-9;
    case Unit::microseconds:
      return 1e-6;
    case Unit::milliseconds:
      return 0.001;
    case Unit::seconds:
      return 1;
    case Unit::minutes:
      return 60;
    case Unit::hours:
      return 3600;
    case Unit::days:
      return 86400;
    case Unit::weeks:
      return 604800;
  }
  return 1;
}

std::optional<ZvDuration::Unit> ZvDuration::unit(double rawValue) {
  for (Unit unit : {Unit::nanoseconds, Unit::microseconds, Unit::milliseconds, Unit::seconds, Unit::minutes,
                    Unit::hours, Unit::days, Unit::weeks}) {
    if (ZvDuration::rawValue(unit) == rawValue) return unit;
  }
  return std::nullopt;
}

ZvDuration::ZvDuration(DispatchTimeInterval interval) {
  switch (interval.kind) {
    case DispatchTimeInterval::Kind::seconds:
      seconds_ = static_cast<double>(interval.value);
      return;
    case DispatchTimeInterval::Kind::milliseconds:
      seconds_ = static_cast<double>(interval.value) * 0.001;
      return;
    case DispatchTimeInterval::Kind::microseconds:
      seconds_ = static_cast<double>(interval.value) * 1e-6;
      return;
    case DispatchTimeInterval::Kind::nanoseconds:
      seconds_ = static_cast<double>(interval.value) * 1e-9;
      return;
    case DispatchTimeInterval::Kind::never:
      seconds_ = std::numeric_limits<double>::infinity();
      return;
  }
  reportUnknownIntervalKind();
  seconds_ = 0;
}

DispatchTimeInterval ZvDuration::dispatchTimeInterval() const {
  // A division by the nanosecond unit, as the platform does: 0.5 s gives 499,999,999 ns.
  return DispatchTimeInterval::nanoseconds(checkedTruncation(seconds_ / rawValue(Unit::nanoseconds)));
}

ZvDuration ZvDuration::random(ZvDuration lower, ZvDuration upper) {
  std::random_device device;
  std::mt19937_64 generator(device());
  return random(lower, upper, generator);
}

ZvDuration sum(const std::vector<ZvDuration>& durations) {
  ZvDuration total = ZvDuration::zero;
  for (const auto& duration : durations) total += duration;
  return total;
}

void to_json(nlohmann::json& json, const ZvDuration& duration) { json = duration.seconds(); }
namespace {

template <class J>
double secondsFrom(const J& json) {
  if (!json.is_number()) {
    throw DecodingError(DecodingError::Kind::typeMismatch, {},
                        "Expected to decode Double but found " + std::string(json.type_name()) + " instead.");
  }
  return json.template get<double>();
}

}  // namespace

void from_json(const nlohmann::json& json, ZvDuration& duration) { duration = ZvDuration(secondsFrom(json)); }
void to_json(nlohmann::ordered_json& json, const ZvDuration& duration) { json = duration.seconds(); }
void from_json(const nlohmann::ordered_json& json, ZvDuration& duration) { duration = ZvDuration(secondsFrom(json)); }

namespace detail {

int64_t wholeNanoseconds(Int128 wholeSeconds, Int128 nanosecondRemainder) {
  Int128 whole = wholeSeconds * 1'000'000'000;
  if (whole > int64Max || whole < int64Min) {
    fatalError("Duration is beyond the 64-bit nanosecond range");
  }
  Int128 total = whole + nanosecondRemainder;
  if (total > int64Max) return int64Max;
  if (total < int64Min) return int64Min;
  return static_cast<int64_t>(total);
}

}  // namespace detail

TimeInterval toTimeInterval(Duration duration) { return static_cast<double>(duration.count()) / 1e9; }

DispatchTimeInterval dispatchTimeInterval(Duration duration) {
  return DispatchTimeInterval::nanoseconds(duration.count());
}

Duration durationFrom(DispatchTimeInterval interval) {
  auto scaled = [&](int64_t nanosecondsPerUnit) {
    Int128 total = static_cast<Int128>(interval.value) * nanosecondsPerUnit;
    if (total > int64Max) return Duration::max();
    if (total < int64Min) return Duration::min();
    return Duration(static_cast<int64_t>(total));
  };
  switch (interval.kind) {
    case DispatchTimeInterval::Kind::seconds:
      return scaled(1'000'000'000);
    case DispatchTimeInterval::Kind::milliseconds:
      return scaled(1'000'000);
    case DispatchTimeInterval::Kind::microseconds:
      return scaled(1'000);
    case DispatchTimeInterval::Kind::nanoseconds:
      return Duration(interval.value);
    case DispatchTimeInterval::Kind::never:
      return Duration::max();
  }
  reportUnknownIntervalKind();
  return Duration::zero();
}

namespace durations {

Duration seconds(double seconds) { return Duration(checkedTruncation(seconds * 1e9)); }

Duration checkedSeconds(int64_t count, int64_t secondsPerUnit) {
  int64_t total = 0;
  if (__builtin_mul_overflow(count, secondsPerUnit, &total) || __builtin_mul_overflow(total, 1'000'000'000, &total)) {
    fatalError("Duration count overflows");
  }
  return Duration(total);
}

Duration random(Duration lower, Duration upper) {
  std::random_device device;
  std::mt19937_64 generator(device());
  return random(lower, upper, generator);
}

}  // namespace durations

Date adding(Date date, TimeInterval seconds) {
  if (std::isnan(seconds)) return date;
  // Whole nanoseconds toward zero; a date beyond the range is the first or the last one (infinite spans included).
  double offset = seconds * 1e9;
  if (offset >= 0x1p64) return Date::max();
  if (offset <= -0x1p64) return Date::min();
  Int128 total = static_cast<Int128>(date.time_since_epoch().count()) + static_cast<Int128>(offset);
  if (total > int64Max) return Date::max();
  if (total < int64Min) return Date::min();
  return Date(Date::duration(static_cast<int64_t>(total)));
}

Date dateFromNow(TimeInterval seconds) { return adding(platform::clock().now(), seconds); }
Date dateSince1970(TimeInterval seconds) { return adding(Date(), seconds); }
Date dateSinceReferenceDate(TimeInterval seconds) { return adding(Date(std::chrono::seconds(978307200)), seconds); }

bool isInThePast(Date date) { return date < platform::clock().now(); }
bool isInTheFuture(Date date) { return date > platform::clock().now(); }

bool isWithin(Date date, Duration duration) {
  const Date now = platform::clock().now();
  const Date end = adding(platform::clock().now(), duration);
  return ClosedRange<Date>::between(end, now).contains(date);
}

double rounded(double value, int decimalPlaces, RoundingRule rule) {
  if (decimalPlaces < 0) return value;
  double scale = 1.0;
  for (int i = 0; i < decimalPlaces; ++i) scale *= 10.0;
  double scaled = value * scale;
  switch (rule) {
    case RoundingRule::toNearestOrAwayFromZero:
      scaled = std::round(scaled);
      break;
    case RoundingRule::toNearestOrEven:
      scaled = std::nearbyint(scaled);
      break;
    case RoundingRule::up:
      scaled = std::ceil(scaled);
      break;
    case RoundingRule::down:
      scaled = std::floor(scaled);
      break;
    case RoundingRule::towardZero:
      scaled = std::trunc(scaled);
      break;
    case RoundingRule::awayFromZero:
      scaled = scaled < 0 ? std::floor(scaled) : std::ceil(scaled);
      break;
  }
  return scaled / scale;
}

HoursMinutesSeconds hoursMinutesSeconds(TimeInterval seconds) {
  int64_t total = checkedTruncation(seconds);
  int64_t hours = total / 3600;
  int64_t rest = total - hours * 3600;
  int64_t minutes = rest / 60;
  return {hours, minutes, rest - minutes * 60};
}

std::string formattedAsClock(TimeInterval seconds, bool showHours, bool showSeconds, bool automaticHours) {
  auto parts = hoursMinutesSeconds(seconds);
  bool hoursShown = automaticHours ? parts.hours >= 1 : showHours;
  char buffer[96];
  auto h = static_cast<long long>(parts.hours), m = static_cast<long long>(parts.minutes),
       s = static_cast<long long>(parts.seconds);
  if (hoursShown && showSeconds)
    std::snprintf(buffer, sizeof buffer, "%02lld:%02lld:%02lld", h, m, s);
  else if (hoursShown)
    std::snprintf(buffer, sizeof buffer, "%02lld:%02lld", h, m);
  else if (showSeconds)
    std::snprintf(buffer, sizeof buffer, "%02lld:%02lld", m, s);
  else
    std::snprintf(buffer, sizeof buffer, "%02lld", m);
  return buffer;
}

}  // namespace kit
