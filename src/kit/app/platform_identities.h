#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "kit/foundation/general_error.h"
#include "kit/preferences/serializable.h"

class QScreen;

// Stable identities of platform values, for lists and pickers that show them directly.
namespace kit {

// The code in decimal, the domain, the description and the recovery suggestion (empty without one), joined
// without separators: code 4, domain "D" and description "x" give "4Dx".
std::string identity(const Error& error);

// A file handed over with its content: the SHA-256 digest of the content (32 bytes) followed by the file name's
// UTF-8 bytes.
std::vector<uint8_t> fileIdentity(std::span<const uint8_t> data, std::string_view fileName);

// A screen is known by its connector name and the serial number its monitor reports (empty when it reports none).
std::pair<std::string, std::string> identity(const QScreen& screen);

// The days of the week; a weekday is its own identity and is stored as its raw value.
enum class Weekday { sunday, monday, tuesday, wednesday, thursday, friday, saturday };
inline constexpr std::array<Weekday, 7> allWeekdays = {Weekday::sunday,    Weekday::monday,   Weekday::tuesday,
                                                       Weekday::wednesday, Weekday::thursday, Weekday::friday,
                                                       Weekday::saturday};
// "sun", "mon", ... "sat".
std::string rawValue(Weekday day);
std::optional<Weekday> weekday(std::string_view rawValue);

}  // namespace kit

namespace kit::Preferences {

template <>
struct RawRepresentation<kit::Weekday> {
  using RawValue = std::string;
  static std::string rawValue(kit::Weekday day) { return kit::rawValue(day); }
  static std::optional<kit::Weekday> make(const std::string& raw) { return kit::weekday(raw); }
};
template <>
struct Serializable<kit::Weekday> : PreferRawRepresentable<kit::Weekday> {};

}  // namespace kit::Preferences
