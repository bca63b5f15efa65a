#include "kit/app/preferences_dump.h"

#include <algorithm>
#include <cmath>
#include <sstream>
#include <vector>

#include "kit/foundation/bytes.h"
#include "kit/foundation/durations.h"
#include "platform/core/clock.h"
#include "platform/core/decimal_text.h"

namespace kit::PreferencesDump {

namespace {

std::string quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

// Inside lists and dictionaries texts are quoted, as a collection's description shows them.
std::string elementText(const platform::PlistValue& value) {
  if (auto text = value.get<std::string>()) return quoted(*text);
  return debugDisplayValue(value);
}

}  // namespace

bool isShownPreferenceKey(std::string_view key) {
  for (std::string_view prefix : {"NS", "ILMedia", "MSAppCenter"})
    if (key.starts_with(prefix)) return false;
  return true;
}

bool isKitPreferenceKey(std::string_view key) { return key.starts_with("Zv_") || key.starts_with("__"); }

std::string debugDisplayValue(const platform::PlistValue& value) {
  if (auto data = value.get<platform::PlistData>())
    return "<Data: " + formattedFileSize(static_cast<int64_t>(data->bytes.size())) + ">";
  if (auto flag = value.get<bool>()) return *flag ? "true" : "false";
  if (auto integer = value.get<int64_t>()) return std::to_string(*integer);
  if (auto real = value.get<double>()) {
    if (!std::isfinite(*real)) return platform::decimalText(*real);
    if (std::trunc(*real) == *real && std::fabs(*real) < 9.2e18) return std::to_string(static_cast<int64_t>(*real));
    return platform::decimalText(rounded(*real, 2, RoundingRule::toNearestOrAwayFromZero));
  }
  if (auto text = value.get<std::string>()) return *text;
  if (auto date = value.get<platform::PlistDate>()) return platform::dateDescription(*date);
  if (auto array = value.get<platform::PlistArray>()) {
    std::string out = "[";
    for (size_t i = 0; i < array->size(); ++i) out += (i ? ", " : "") + elementText((*array)[i]);
    return out + "]";
  }
  if (auto dictionary = value.get<platform::PlistDict>()) {
    if (dictionary->empty()) return "[:]";
    std::string out = "[";
    bool first = true;
    for (const auto& [key, element] : *dictionary) {
      out += (first ? "" : ", ") + quoted(key) + ": " + elementText(element);
      first = false;
    }
    return out + "]";
  }
  return platform::describe(value);
}

namespace {

OrderedDictionary<std::string, std::string> sortedEntries(const platform::UserDefaults& suite,
                                                          bool (*isListed)(std::string_view key)) {
  static const std::vector<std::string_view> historyKeys{"SessionIdHistory", "UserIdHistory", "pastDevicesKey"};
  std::vector<std::pair<std::string, std::string>> entries;
  for (const auto& [key, value] : suite.persistentDomain()) {
    if (!isListed(key)) continue;
    if (std::find(historyKeys.begin(), historyKeys.end(), key) != historyKeys.end()) continue;
    entries.emplace_back(key, debugDisplayValue(value));
  }
  // Byte order of UTF-8 is code point order: upper case before lower case.
  std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::stable_sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
    return isKitPreferenceKey(a.first) && !isKitPreferenceKey(b.first);
  });
  return OrderedDictionary<std::string, std::string>::fromPairs(entries);
}

}  // namespace

OrderedDictionary<std::string, std::string> debugEntries(const platform::UserDefaults& suite) {
  return sortedEntries(suite, [](std::string_view) { return true; });
}

OrderedDictionary<std::string, std::string> debugInfoDictionary(const platform::UserDefaults& suite) {
  return sortedEntries(suite, isShownPreferenceKey);
}

}  // namespace kit::PreferencesDump
