#include "platform/prefs/plist_value.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <iterator>
#include <sstream>

#include "platform/core/hash_combine.h"

namespace platform {

namespace {
// 2001-01-01 00:00:00 UTC in seconds since 1970.
constexpr int64_t referenceDateUnixSeconds = 978307200;
}  // namespace

double secondsSinceReferenceDate(PlistDate date) {
  auto micros = std::chrono::duration_cast<std::chrono::microseconds>(date.time_since_epoch()).count();
  return static_cast<double>(micros - referenceDateUnixSeconds * 1000000) / 1e6;
}

PlistDate dateFromReferenceSeconds(double seconds) {
  if (!std::isfinite(seconds)) seconds = 0;
  // Out-of-range values saturate instead of overflowing the clock's representation.
  constexpr double limit = 8e9;  // about 250 years either way: the clock counts 64-bit nanoseconds
  seconds = std::clamp(seconds, -limit, limit);
  auto micros = static_cast<int64_t>(std::llround(seconds * 1e6));
  return PlistDate(std::chrono::microseconds(micros + referenceDateUnixSeconds * 1000000));
}

std::string describe(const PlistValue& value) {
  std::ostringstream out;
  std::visit(
      [&out](const auto& v) {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, bool>) {
          out << (v ? "true" : "false");
        } else if constexpr (std::is_arithmetic_v<T>) {
          out << v;
        } else if constexpr (std::is_same_v<T, std::string>) {
          out << '"' << v << '"';
        } else if constexpr (std::is_same_v<T, PlistDate>) {
          out << "date(" << secondsSinceReferenceDate(v) << ")";
        } else if constexpr (std::is_same_v<T, PlistData>) {
          out << "data(" << v.bytes.size() << " bytes)";
        } else if constexpr (std::is_same_v<T, PlistArray>) {
          out << '[';
          for (std::size_t i = 0; i < v.size(); ++i) out << (i ? ", " : "") << describe(v[i]);
          out << ']';
        } else {
          out << '{';
          bool first = true;
          for (const auto& [key, item] : v) {
            out << (first ? "" : ", ") << key << ": " << describe(item);
            first = false;
          }
          out << '}';
        }
      },
      value.storage());
  return out.str();
}

const char* kindName(const PlistValue& value) {
  static constexpr const char* names[] = {"boolean", "integer", "integer", "real",      "string",
                                          "date",    "data",    "array",   "dictionary"};
  static_assert(std::size(names) == std::variant_size_v<PlistValue::Storage>);
  return names[value.storage().index()];
}

std::size_t hashValue(const PlistValue& value) {
  const std::size_t content = std::visit(
      [&](const auto& v) -> std::size_t {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, PlistDate>) {
          return std::hash<int64_t>()(v.time_since_epoch().count());
        } else if constexpr (std::is_same_v<T, PlistData>) {
          return std::hash<std::string_view>()(v.bytes);
        } else if constexpr (std::is_same_v<T, PlistArray>) {
          std::size_t seed = v.size();
          for (const auto& item : v) hashCombine(seed, hashValue(item));
          return seed;
        } else if constexpr (std::is_same_v<T, PlistDict>) {
          std::size_t seed = v.size();
          for (const auto& [key, item] : v) {
            hashCombine(seed, std::hash<std::string_view>()(key));
            hashCombine(seed, hashValue(item));
          }
          return seed;
        } else {
          return std::hash<T>()(v);
        }
      },
      value.storage());
  std::size_t seed = value.storage().index();
  hashCombine(seed, content);
  return seed;
}

std::size_t approximateSize(const PlistValue& value) {
  return std::visit(
      [](const auto& v) -> std::size_t {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, std::string>) {
          return v.size();
        } else if constexpr (std::is_same_v<T, PlistData>) {
          return (v.bytes.size() + 2) / 3 * 4;  // base64
        } else if constexpr (std::is_same_v<T, PlistArray>) {
          std::size_t size = 0;
          for (const auto& item : v) size += approximateSize(item);
          return size;
        } else if constexpr (std::is_same_v<T, PlistDict>) {
          std::size_t size = 0;
          for (const auto& [key, item] : v) size += key.size() + approximateSize(item);
          return size;
        } else {
          return 8;
        }
      },
      value.storage());
}

}  // namespace platform
