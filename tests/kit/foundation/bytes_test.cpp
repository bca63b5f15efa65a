#include "kit/foundation/bytes.h"

#include <gtest/gtest.h>

#include <QLocale>
#include <cmath>

namespace {

using kit::Bytes;

TEST(Bytes, MakersAndMeasurementsTruncateTowardZero) {
  EXPECT_EQ(Bytes::kilobytes(1.5).bytes(), 1500);
  EXPECT_EQ(Bytes::kilobytes(0.0015).bytes(), 1);
  EXPECT_EQ(Bytes::megabytes(-0.0000015).bytes(), -1);
  EXPECT_EQ(Bytes({1, kit::InformationUnit::kibibytes}).bytes(), 1024);
  EXPECT_EQ(Bytes({12, kit::InformationUnit::bits}).bytes(), 1);
  EXPECT_DEATH(Bytes::gigabytes(1e10), "outside the representable range");
  EXPECT_DEATH(Bytes::kilobytes(NAN), "outside the representable range");
}

TEST(Bytes, ArithmeticIsExactAndCheckedAcrossTheWholeRange) {
  Bytes amount(-40);
  EXPECT_EQ(Bytes::zero + amount, amount);
  EXPECT_LT(Bytes(-5), Bytes(3));
  amount += Bytes(50);
  amount -= Bytes(3);
  EXPECT_EQ(amount.bytes(), 7);
  // Beyond 2^53 a float would round; the count stays exact.
  EXPECT_EQ((Bytes(9'007'199'254'740'993) + Bytes(0)).bytes(), 9'007'199'254'740'993);
  EXPECT_EQ((Bytes(std::numeric_limits<int64_t>::max()) - Bytes(1)).bytes(), std::numeric_limits<int64_t>::max() - 1);
  EXPECT_DEATH(Bytes(std::numeric_limits<int64_t>::max()) + Bytes(1), "overflows");
  EXPECT_DEATH(Bytes(std::numeric_limits<int64_t>::min()) - Bytes(1), "overflows");
}

TEST(Bytes, DescribesItselfAsAFileSizeInTheCurrentLocaleWithTheExactCount) {
  const QLocale previous;
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  EXPECT_EQ(Bytes(0).debugDescription(), "0 bytes (0)");
  EXPECT_EQ(Bytes(1).debugDescription(), "1 byte (1)");
  EXPECT_EQ(Bytes(-1).debugDescription(), "-1 byte (-1)");
  EXPECT_EQ(Bytes(2).debugDescription(), "2 bytes (2)");
  EXPECT_EQ(Bytes(999).debugDescription(), "999 bytes (999)");
  EXPECT_EQ(Bytes(1000).debugDescription(), "1 kB (1000)");
  EXPECT_EQ(Bytes(1500).debugDescription(), "2 kB (1500)");
  EXPECT_EQ(Bytes(1'500'000).debugDescription(), "1.5 MB (1500000)");
  EXPECT_EQ(Bytes(2'000'000).debugDescription(), "2 MB (2000000)");
  // Rounding that reaches the next unit shows that unit.
  EXPECT_EQ(Bytes(999'999).debugDescription(), "1 MB (999999)");
  EXPECT_EQ(Bytes(1'234'567'890).debugDescription(), "1.23 GB (1234567890)");
  EXPECT_EQ(Bytes(-1'500'000).debugDescription(), "-1.5 MB (-1500000)");
  EXPECT_EQ(kit::formattedFileSize(std::numeric_limits<int64_t>::min()), "-9.22 EB");

  // The words and digits follow the locale; the exact count stays plain.
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  EXPECT_EQ(Bytes(1'500'000).debugDescription(), "1,5 MB (1500000)");
  EXPECT_EQ(Bytes(12).debugDescription(), "12 Bytes (12)");
  EXPECT_EQ(Bytes(1).debugDescription(), "1 Byte (1)");
  QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
  EXPECT_EQ(Bytes(1).debugDescription(), "1 octet (1)");
  EXPECT_EQ(Bytes(10).debugDescription(), "10 octets (10)");
  QLocale::setDefault(previous);
}

}  // namespace
