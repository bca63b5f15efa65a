#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace platform {

// Raw bytes of a <data> element, kept apart from strings so that the two never mix up.
struct PlistData {
  std::string bytes;
  friend bool operator==(const PlistData&, const PlistData&) = default;
};

// A <date> element. The XML file keeps whole seconds.
using PlistDate = std::chrono::system_clock::time_point;

class PlistValue;
using PlistArray = std::vector<PlistValue>;
using PlistDict = std::map<std::string, PlistValue, std::less<>>;

// One property-list value. The kinds stay distinct: a Bool is not a number, an integer is not a real. An integer is
// held as int64_t, and only one above its range as uint64_t, so that each integer has one form.
class PlistValue {
 public:
  using Storage =
      std::variant<bool, int64_t, uint64_t, double, std::string, PlistDate, PlistData, PlistArray, PlistDict>;

  PlistValue() : storage_(false) {}
  PlistValue(bool v) : storage_(v) {}
  PlistValue(int v) : storage_(int64_t{v}) {}
  PlistValue(int64_t v) : storage_(v) {}
  PlistValue(uint64_t v) {
    if (v <= static_cast<uint64_t>(INT64_MAX))
      storage_ = static_cast<int64_t>(v);
    else
      storage_ = v;
  }
  PlistValue(double v) : storage_(v) {}
  PlistValue(std::string v) : storage_(std::move(v)) {}
  PlistValue(std::string_view v) : storage_(std::string(v)) {}
  PlistValue(const char* v) : storage_(std::string(v)) {}
  PlistValue(PlistDate v) : storage_(v) {}
  PlistValue(PlistData v) : storage_(std::move(v)) {}
  PlistValue(PlistArray v) : storage_(std::move(v)) {}
  PlistValue(PlistDict v) : storage_(std::move(v)) {}

  const Storage& storage() const { return storage_; }
  template <class T>
  bool is() const {
    return std::holds_alternative<T>(storage_);
  }
  template <class T>
  const T* get() const {
    return std::get_if<T>(&storage_);
  }

  friend bool operator==(const PlistValue& a, const PlistValue& b) { return a.storage_ == b.storage_; }

 private:
  Storage storage_;
};

// A short readable rendering for logs and test failures.
std::string describe(const PlistValue& value);
// The element name the value has in an XML property list: "boolean" (for <true/> and <false/>), "integer",
// "real", "string", "date", "data", "array" or "dictionary".
const char* kindName(const PlistValue& value);
// A hash of the value's kind and content: equal values hash alike.
std::size_t hashValue(const PlistValue& value);
// About how many bytes the value takes in an XML property list, markup aside.
std::size_t approximateSize(const PlistValue& value);

// Seconds since 2001-01-01 00:00:00 UTC, the reference date of property lists.
double secondsSinceReferenceDate(PlistDate date);
PlistDate dateFromReferenceSeconds(double seconds);

}  // namespace platform
