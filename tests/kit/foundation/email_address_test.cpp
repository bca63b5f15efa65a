#include "kit/foundation/email_address.h"

#include <gtest/gtest.h>

#include <unordered_set>

#include "kit/foundation/json_coding.h"

namespace {

using kit::EmailAddress;

TEST(EmailAddress, DataGivesAnAddressOnlyWhenTheTrimmedTextIsExactlyOne) {
  auto address = EmailAddress::fromString("  ann@example.org\n");
  ASSERT_TRUE(address);
  EXPECT_EQ(address->rawValue(), "ann@example.org");
  for (std::string_view text : {"", "   ", "write to ann@example.org today", "ann@", "mailto:ann@example.org"})
    EXPECT_FALSE(EmailAddress::fromString(text)) << text;

  std::unordered_set<EmailAddress> addresses{*EmailAddress::fromString("Ann@example.org"),
                                             *EmailAddress::fromString("ann@example.org"),
                                             *EmailAddress::fromString("ann@example.org ")};
  EXPECT_EQ(addresses.size(), 2u) << "letter case matters";
  EXPECT_TRUE(*EmailAddress::fromString("Ann@example.org") < *EmailAddress::fromString("ann@example.org"));
  static_assert(!std::is_constructible_v<EmailAddress, std::string>, "text is checked on the way in");
}

TEST(EmailAddress, CodesAsTheBareAddressAndDecodesWhateverWasStored) {
  EXPECT_EQ(kit::jsonText(kit::encodeJson(EmailAddress::literal(" ann@example.org "))), R"("ann@example.org")");
  EXPECT_EQ(kit::decodeJson<EmailAddress>(kit::Json(" not an address ")).rawValue(), " not an address ");
  EXPECT_THROW(kit::decodeJson<EmailAddress>(kit::Json(5)), kit::DecodingError);
  EXPECT_EQ(kit::decodeJson<std::vector<EmailAddress>>(kit::Json::parse(R"(["x"])")).front().rawValue(), "x");
}

TEST(EmailAddressDeathTest, AnInvalidLiteralStopsTheProgramNamingIt) {
  EXPECT_DEATH(EmailAddress::literal(" not an address"), "Invalid email address:  not an address");
}

}  // namespace
