#include "kit/app/preferences_dump.h"

#include <algorithm>
#include <cmath>
#include <sstream>
#include <vector>

#include "kit/foundation/bytes.h"
#include "kit/foundation/durations.h"
#include "platform/core/clock.h"
#include "platform/core/decimal_text.h"
#include "platform/text/normalization.h"

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

// The debug information's short form, or the whole value.
enum class Form { debugDisplay, whole };

std::string hexBytes(const std::string& bytes) {
  static constexpr char digits[] = "0123456789abcdef";
  std::string out;
  out.reserve(2 * bytes.size());
  for (unsigned char byte : bytes) {
    out += digits[byte >> 4];
    out += digits[byte & 0xf];
  }
  return out;
}

std::string rendered(const platform::PlistValue& value, Form form);

// Inside lists and dictionaries texts are quoted, as a collection's description shows them, and numbers are
// never rounded: only a value of its own is.
std::string elementText(const platform::PlistValue& value, Form form) {
  if (auto text = value.get<std::string>()) return quoted(*text);
  if (value.get<double>()) return rendered(value, Form::whole);
  return rendered(value, form);
}

std::string rendered(const platform::PlistValue& value, Form form) {
  if (auto data = value.get<platform::PlistData>()) {
    const auto size = static_cast<int64_t>(data->bytes.size());
    if (form == Form::whole) return "{length = " + std::to_string(size) + ", bytes = 0x" + hexBytes(data->bytes) + "}";
    return "<Data: " + formattedFileSize(size) + ">";
  }
  if (auto flag = value.get<bool>()) return *flag ? "true" : "false";
  if (auto integer = value.get<int64_t>()) return std::to_string(*integer);
  if (auto real = value.get<double>()) {
    if (form == Form::whole || !std::isfinite(*real)) return platform::decimalText(*real);
    if (std::trunc(*real) == *real && std::fabs(*real) < 9.2e18) return std::to_string(static_cast<int64_t>(*real));
    return platform::decimalText(rounded(*real, 2, RoundingRule::toNearestOrAwayFromZero));
  }
  if (auto text = value.get<std::string>()) return *text;
  if (auto date = value.get<platform::PlistDate>()) return platform::dateDescription(*date);
  if (auto array = value.get<platform::PlistArray>()) {
    std::string out = "[";
    for (size_t i = 0; i < array->size(); ++i) out += (i ? ", " : "") + elementText((*array)[i], form);
    return out + "]";
  }
  if (auto dictionary = value.get<platform::PlistDict>()) {
    if (dictionary->empty()) return "[:]";
    std::string out = "[";
    bool first = true;
    for (const auto& [key, element] : *dictionary) {
      out += (first ? "" : ", ") + quoted(key) + ": " + elementText(element, form);
      first = false;
    }
    return out + "]";
  }
  return platform::describe(value);
}

bool isHistoryKey(std::string_view key) {
  return key == "SessionIdHistory" || key == "UserIdHistory" || key == "pastDevicesKey";
}

// The entries less the history keys; the kit's keys first, each group in ascending order.
template <class V>
OrderedDictionary<std::string, V> sortedEntries(const platform::PlistDict& domain,
                                                V (*value)(const platform::PlistValue&)) {
  std::vector<std::pair<std::string, V>> entries;
  for (const auto& [key, stored] : domain)
    if (!isHistoryKey(key)) entries.emplace_back(key, value(stored));
  std::sort(entries.begin(), entries.end(),
            [](const auto& a, const auto& b) { return platform::canonicallyPrecedes(a.first, b.first); });
  std::stable_sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
    return isKitPreferenceKey(a.first) && !isKitPreferenceKey(b.first);
  });
  return OrderedDictionary<std::string, V>::fromPairs(entries);
}

platform::PlistValue asStored(const platform::PlistValue& value) { return value; }

}  // namespace

bool isShownPreferenceKey(std::string_view key) {
  for (std::string_view prefix : {"NS", "ILMedia", "MSAppCenter"})
    if (key.starts_with(prefix)) return false;
  return true;
}

bool isKitPreferenceKey(std::string_view key) { return key.starts_with("Zv_") || key.starts_with("__"); }

std::string debugDisplayValue(const platform::PlistValue& value) { return rendered(value, Form::debugDisplay); }

std::string textualDescription(const platform::PlistValue& value) { return rendered(value, Form::whole); }

platform::PlistDict filteredPersistentDomain(const platform::UserDefaults& suite) {
  platform::PlistDict domain = suite.persistentDomain();
  std::erase_if(domain, [](const auto& entry) { return !isShownPreferenceKey(entry.first); });
  return domain;
}

OrderedDictionary<std::string, platform::PlistValue> debugEntries(const platform::UserDefaults& suite) {
  return sortedEntries(suite.persistentDomain(), asStored);
}

OrderedDictionary<std::string, std::string> debugInfoDictionary(const platform::UserDefaults& suite) {
  return sortedEntries(filteredPersistentDomain(suite), debugDisplayValue);
}

}  // namespace kit::PreferencesDump
