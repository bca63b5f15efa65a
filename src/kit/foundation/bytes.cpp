#include "kit/foundation/bytes.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "kit/foundation/fatal_error.h"

namespace kit {
namespace {

int64_t checkedTruncation(double value, std::source_location location = std::source_location::current()) {
  if (!(value < 9223372036854775808.0 && value > -9223372036854777856.0)) {
    fatalError("Byte count cannot be converted to a 64-bit integer because it is outside the representable range",
               location);
  }
  return static_cast<int64_t>(value);
}

}  // namespace

const Bytes Bytes::zero{0};

double bytesPerUnit(InformationUnit unit) {
  switch (unit) {
    case InformationUnit::bits:
      return 0.125;
    case InformationUnit::bytes:
      return 1;
    case InformationUnit::kilobytes:
      return 1e3;
    case InformationUnit::megabytes:
      return 1e6;
    case InformationUnit::gigabytes:
      return 1e9;
    case InformationUnit::terabytes:
      return 1e12;
    case InformationUnit::kibibytes:
      return 1024.0;
    case InformationUnit::mebibytes:
      return 1024.0 * 1024;
    case InformationUnit::gibibytes:
      return 1024.0 * 1024 * 1024;
  }
  return 1;
}

double Bytes::rawValue(Unit unit) {
  switch (unit) {
    case Unit::bits:
      return 0.125;
    case Unit::bytes:
      return 1;
    case Unit::kilobytes:
      return 1e3;
    case Unit::megabytes:
      return 1e6;
    case Unit::gigabytes:
      return 1e9;
  }
  return 1;
}

std::optional<Bytes::Unit> Bytes::unit(double rawValue) {
  for (Unit unit : {Unit::bits, Unit::bytes, Unit::kilobytes, Unit::megabytes, Unit::gigabytes}) {
    if (Bytes::rawValue(unit) == rawValue) return unit;
  }
  return std::nullopt;
}

Bytes::Bytes(const InformationStorage& measurement)
    : bytes_(checkedTruncation(measurement.value * bytesPerUnit(measurement.unit))) {}

Bytes Bytes::kilobytes(double count) { return Bytes(checkedTruncation(count * 1e3)); }
Bytes Bytes::megabytes(double count) { return Bytes(checkedTruncation(count * 1e6)); }
Bytes Bytes::gigabytes(double count) { return Bytes(checkedTruncation(count * 1e9)); }

Bytes operator+(Bytes a, Bytes b) {
  int64_t result = 0;
  if (__builtin_add_overflow(a.bytes_, b.bytes_, &result)) fatalError("Byte count overflows");
  return Bytes(result);
}

Bytes operator-(Bytes a, Bytes b) {
  int64_t result = 0;
  if (__builtin_sub_overflow(a.bytes_, b.bytes_, &result)) fatalError("Byte count overflows");
  return Bytes(result);
}

std::string Bytes::debugDescription() const { return formattedFileSize(bytes_) + " (" + std::to_string(bytes_) + ")"; }

std::string formattedFileSize(int64_t bytes) {
  if (bytes == 0) return "Zero KB";
  // The magnitude as an unsigned value, so that the most negative count has one too.
  uint64_t magnitude = bytes < 0 ? 0 - static_cast<uint64_t>(bytes) : static_cast<uint64_t>(bytes);
  std::string sign = bytes < 0 ? "-" : "";
  if (magnitude < 1000) return sign + std::to_string(magnitude) + (magnitude == 1 ? " byte" : " bytes");

  static constexpr const char* units[] = {"KB", "MB", "GB", "TB", "PB", "EB"};
  static constexpr int fractionDigits[] = {0, 1, 2, 2, 2, 2};
  double value = static_cast<double>(magnitude) / 1000.0;
  size_t index = 0;
  for (;;) {
    double scale = std::pow(10.0, fractionDigits[index]);
    // Half to even, as the platform's number formatting does.
    double roundedValue = std::nearbyint(value * scale) / scale;
    if (roundedValue >= 1000.0 && index + 1 < std::size(units)) {
      value /= 1000.0;
      ++index;
      continue;
    }
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", fractionDigits[index], roundedValue);
    std::string number = buffer;
    // Trailing zeros of the fraction are not shown.
    if (number.find('.') != std::string::npos) {
      while (number.back() == '0') number.pop_back();
      if (number.back() == '.') number.pop_back();
    }
    return sign + number + " " + units[index];
  }
}

}  // namespace kit
