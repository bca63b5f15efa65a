#include "kit/ui/natural_languages.h"

#include <gtest/gtest.h>

namespace kit {
namespace {

TEST(NaturalLanguagesTest, FiftySixLanguagesInEnglishOrder) {
  const auto& languages = naturalLanguages();
  ASSERT_EQ(languages.size(), 56u);
  EXPECT_EQ(languages.front().englishName, "Amharic");
  EXPECT_EQ(languages.back().englishName, "Vietnamese");
}

}  // namespace
}  // namespace kit
