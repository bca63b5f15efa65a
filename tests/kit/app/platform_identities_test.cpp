#include "kit/app/platform_identities.h"

#include <gtest/gtest.h>

#include <QByteArray>

namespace kit {
namespace {

PlatformError error(std::optional<std::string> suggestion) {
  UserInfo info{{platform::userinfo::localizedDescription, std::string("x")}};
  if (suggestion) info[platform::userinfo::localizedRecoverySuggestion] = *suggestion;
  return PlatformError("D", 4, info);
}

TEST(PlatformIdentities, ErrorsDifferByTheirRecoverySuggestion) {
  EXPECT_EQ(identity(error(std::nullopt)), "4Dx");
  EXPECT_EQ(identity(error("Try again.")), "4DxTry again.");
  EXPECT_NE(identity(error("Try again.")), identity(error("Restart.")));
}

TEST(PlatformIdentities, FilesAreTheirContentDigestAndName) {
  const std::vector<uint8_t> data{'a', 'b', 'c'};
  EXPECT_EQ(fileIdentity(data, "a.txt"), fileIdentity(std::vector<uint8_t>{'a', 'b', 'c'}, "a.txt"));
  EXPECT_NE(fileIdentity(data, "a.txt"), fileIdentity(data, "b.txt"));

  const auto empty = fileIdentity({}, "n");
  ASSERT_EQ(empty.size(), 33u);
  EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(empty.data()), 32).toHex(),
            "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(empty.back(), 'n');
}

}  // namespace
}  // namespace kit
