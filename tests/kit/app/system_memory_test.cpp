#include "kit/app/system_memory.h"

#include <gtest/gtest.h>

#include <QLocale>

namespace {

TEST(SystemMemoryTest, FieldsAndTexts) {
  const std::string status = "Name:\tquillet\nVmRSS:\t   24576 kB\nVmSwap:\t0 kB\n";
  EXPECT_EQ(kit::SystemMemory::kilobyteField(status, "VmRSS"), 24576 * 1024);
  EXPECT_EQ(kit::SystemMemory::kilobyteField(status, "VmRS"), std::nullopt);
  EXPECT_EQ(kit::SystemMemory::kilobyteField("VmRSS: lots kB\n", "VmRSS"), std::nullopt);
  EXPECT_EQ(kit::SystemMemory::kilobyteField("VmRSS: 99999999999999999999 kB\n", "VmRSS"), std::nullopt);

  EXPECT_GT(kit::SystemMemory::residentBytes().value_or(0), 0);
  EXPECT_GT(kit::SystemMemory::availableBytes().value_or(0), 0);

  EXPECT_EQ(kit::SystemMemory::memoryText(0), "Zero KB");
  EXPECT_EQ(kit::SystemMemory::memoryText(512), "512 bytes");
  EXPECT_EQ(kit::SystemMemory::memoryText(24 * 1024), "24 KB");
  EXPECT_EQ(kit::SystemMemory::memoryText(24 * 1024 * 1024 + 512 * 1024), "24.5 MB");
  EXPECT_EQ(kit::SystemMemory::memoryText(int64_t{5} * 1024 * 1024 * 1024 / 4), "1.25 GB");

  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  EXPECT_EQ(kit::SystemMemory::memoryText(int64_t{5000} * 1024 * 1024 * 1024), "5000 GB");
  EXPECT_EQ(kit::SystemMemory::memoryText(24 * 1024 * 1024 + 512 * 1024), "24.5 MB") << "whatever the user's locale";
  QLocale::setDefault(QLocale::c());
}

}  // namespace
