#include "kit/foundation/app_appearance.h"

#include <QGuiApplication>
#include <QPalette>

#include "kit/foundation/json_coding.h"

namespace kit {

std::string rawValue(AppAppearance appearance) {
  switch (appearance) {
    case AppAppearance::light:
      return "light";
    case AppAppearance::dark:
      return "dark";
    case AppAppearance::system:
      break;
  }
  return "system";
}

std::optional<AppAppearance> appAppearance(std::string_view raw) {
  for (AppAppearance appearance : allAppAppearances) {
    if (rawValue(appearance) == raw) return appearance;
  }
  return std::nullopt;
}

bool isDarkMode(const QPalette& palette) { return palette.color(QPalette::Window).lightness() < 128; }

void to_json(Json& json, AppAppearance appearance) { json = rawValue(appearance); }

AppAppearance JsonDecoding<AppAppearance>::decode(const Json& json, const CodingPath& path) {
  const auto raw = decodeJson<std::string>(json, path);
  if (auto appearance = appAppearance(raw)) return *appearance;
  throw DecodingError(DecodingError::Kind::dataCorrupted, path,
                      "Cannot initialize AppAppearance from invalid String value " + raw);
}

AppAppearance effectiveAppearance(AppAppearance setting, const platform::DesktopColorScheme& desktop) {
  if (setting != AppAppearance::system) return setting;
  if (auto scheme = desktop.current(); scheme && *scheme != platform::ColorScheme::noPreference)
    return *scheme == platform::ColorScheme::dark ? AppAppearance::dark : AppAppearance::light;
  if (qGuiApp == nullptr) return AppAppearance::light;
  return isDarkMode(QGuiApplication::palette()) ? AppAppearance::dark : AppAppearance::light;
}

}  // namespace kit
