#pragma once

#include <compare>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace kit {

// Units of a measurement of information storage, in bytes per unit (decimal and binary).
enum class InformationUnit { bits, bytes, kilobytes, megabytes, gigabytes, terabytes, kibibytes, mebibytes, gibibytes };
double bytesPerUnit(InformationUnit unit);

struct InformationStorage {
  double value = 0;
  InformationUnit unit = InformationUnit::bytes;
};

// An amount of data in whole bytes. Arithmetic is checked: an overflow stops the program.
class Bytes {
 public:
  // Decimal units, in bytes per unit.
  enum class Unit { bits, bytes, kilobytes, megabytes, gigabytes };
  static double rawValue(Unit unit);
  static std::optional<Unit> unit(double rawValue);

  constexpr Bytes() = default;
  constexpr explicit Bytes(int64_t bytes) : bytes_(bytes) {}
  // Converted to bytes, truncated toward zero.
  explicit Bytes(const InformationStorage& measurement);

  static Bytes kilobytes(double count);
  static Bytes megabytes(double count);
  static Bytes gigabytes(double count);
  static const Bytes zero;

  constexpr int64_t bytes() const { return bytes_; }
  double value(Unit unit) const { return static_cast<double>(bytes_) / rawValue(unit); }
  InformationStorage measurement() const { return {static_cast<double>(bytes_), InformationUnit::bytes}; }
  // The file-size text in the current locale and the exact count: "1.5 MB (1500000)", "0 bytes (0)".
  std::string debugDescription() const;

  friend Bytes operator+(Bytes a, Bytes b);
  friend Bytes operator-(Bytes a, Bytes b);
  Bytes& operator+=(Bytes other) { return *this = *this + other; }
  Bytes& operator-=(Bytes other) { return *this = *this - other; }
  friend constexpr auto operator<=>(Bytes, Bytes) = default;

 private:
  int64_t bytes_ = 0;
};

// A byte count as a file-size text with decimal units, in the current locale's words and digits (QLocale):
// "0 bytes", "1 byte", "999 bytes", "2 kB", "1.5 MB", "1.23 GB"; in German "1 Byte", "1,5 MB".
std::string formattedFileSize(int64_t bytes);

}  // namespace kit

template <>
struct std::hash<kit::Bytes> {
  size_t operator()(const kit::Bytes& value) const noexcept { return std::hash<int64_t>()(value.bytes()); }
};
