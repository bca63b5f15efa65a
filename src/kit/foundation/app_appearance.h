#pragma once

#include <array>
#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system/color_scheme.h"

class QPalette;

namespace kit {

// The appearance setting of the application: follow the desktop, light or dark. Stored as its raw value.
enum class AppAppearance { system, light, dark };

inline constexpr std::array<AppAppearance, 3> allAppAppearances = {AppAppearance::system, AppAppearance::light,
                                                                   AppAppearance::dark};

// "system", "light" or "dark".
std::string rawValue(AppAppearance appearance);
// The appearance of exactly that raw value (letter case matters); none for any other text.
std::optional<AppAppearance> appAppearance(std::string_view rawValue);

// Whether a palette draws a dark look: its window colour is dark.
bool isDarkMode(const QPalette& palette);

// Ordered by raw value, as the other raw-value types are: dark, light, system.
inline bool operator<(AppAppearance a, AppAppearance b) { return rawValue(a) < rawValue(b); }
inline bool operator>(AppAppearance a, AppAppearance b) { return b < a; }
inline bool operator<=(AppAppearance a, AppAppearance b) { return !(b < a); }
inline bool operator>=(AppAppearance a, AppAppearance b) { return !(a < b); }

// Coded as its raw value; other text does not decode.
void to_json(nlohmann::ordered_json& json, AppAppearance appearance);
template <class T>
struct JsonDecoding;
template <>
struct JsonDecoding<AppAppearance> {
  static AppAppearance decode(const nlohmann::ordered_json& json, const std::vector<std::string>& path);
};

// The look to take for a setting: light or dark. The system setting follows the desktop's colour scheme where its
// portal states one, else the application's palette.
AppAppearance effectiveAppearance(AppAppearance setting,
                                  const platform::DesktopColorScheme& desktop = platform::DesktopColorScheme::shared());

}  // namespace kit
