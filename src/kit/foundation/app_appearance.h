#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

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

// The look to take for a setting: light or dark. The system setting follows the desktop's colour scheme where its
// portal states one, else the application's palette.
AppAppearance effectiveAppearance(AppAppearance setting,
                                  const platform::DesktopColorScheme& desktop = platform::DesktopColorScheme::shared());

}  // namespace kit
