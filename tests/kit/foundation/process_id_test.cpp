#include "kit/foundation/process_id.h"

#include <gtest/gtest.h>

#include <unordered_set>

namespace {

TEST(ProcessID, IsAPlainHashableValue) {
  std::unordered_set<kit::ZvProcessID> seen{kit::ZvProcessID(42), kit::ZvProcessID(42), kit::ZvProcessID(-1)};
  EXPECT_EQ(seen.size(), 2u);
  EXPECT_EQ(kit::ZvProcessID(0).rawValue, 0);
  EXPECT_EQ(kit::ZvProcessID(-7).id(), kit::ZvProcessID(-7));
  EXPECT_EQ(std::hash<kit::ZvProcessID>()(kit::ZvProcessID(5)), std::hash<int32_t>()(5));
}

}  // namespace
