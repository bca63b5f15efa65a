#include "kit/foundation/bytes.h"

#include <QLocale>
#include <cmath>
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
  const QLocale locale;
  // The magnitude as an unsigned value, so that the most negative count has one too.
  const uint64_t magnitude = bytes < 0 ? 0 - static_cast<uint64_t>(bytes) : static_cast<uint64_t>(bytes);
  if (magnitude < 1000) {
    QString text = locale.formattedDataSize(bytes, 0, QLocale::DataSizeSIFormat);
    // Qt knows the plural alone ("bytes", "Bytes", "octets"): one byte drops its plural ending.
    if (magnitude == 1 && text.endsWith(u's')) text.chop(1);
    return text.toStdString();
  }

  // Kilobytes whole, megabytes with one decimal, larger units with two; trailing zeros of the fraction are not
  // shown. The count is rounded (half to even) to what is shown, so that Qt's formatting shows it exactly and
  // picks the next unit when rounding reaches it.
  static constexpr int fractionDigits[] = {0, 0, 1, 2, 2, 2, 2};
  int power = 1;
  while (power < 6 && static_cast<double>(magnitude) >= std::pow(1000.0, power + 1)) ++power;
  for (;;) {
    int digits = fractionDigits[power];
    const double step = std::pow(10.0, 3 * power - digits);
    auto steps = static_cast<uint64_t>(std::nearbyint(static_cast<double>(magnitude) / step));
    if (power < 6 && static_cast<double>(steps) * step >= std::pow(1000.0, power + 1)) {
      ++power;
      continue;
    }
    while (digits > 0 && steps % 10 == 0) {
      steps /= 10;
      --digits;
    }
    const auto shown = static_cast<int64_t>(static_cast<double>(steps) * std::pow(10.0, 3 * power - digits));
    return locale.formattedDataSize(bytes < 0 ? -shown : shown, digits, QLocale::DataSizeSIFormat).toStdString();
  }
}

}  // namespace kit
