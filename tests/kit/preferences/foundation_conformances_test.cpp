#include "kit/preferences/foundation_conformances.h"

#include <gtest/gtest.h>

#include "kit/preferences/bookmarks_user_defaults.h"
#include "preference_test_values.h"

using namespace preferences_test;

namespace {

TEST_F(PreferencesTest, TheAppearanceSettingIsStoredAsItsRawValue) {
  Key<kit::AppAppearance> appearance("appearance", kit::AppAppearance::system, *suite);
  set(appearance, kit::AppAppearance::dark);
  EXPECT_EQ(*suite->object("appearance")->get<std::string>(), "dark");
  EXPECT_EQ(get(appearance), kit::AppAppearance::dark);
  suite->set("appearance", "Dark");
  EXPECT_EQ(get(appearance), kit::AppAppearance::system) << "a stored text of no appearance reads as the default";
}

TEST_F(PreferencesTest, BookmarksAreStoredAsTheJsonOfTheirBytes) {
  Key<std::optional<kit::SandboxURLBookmark>> folder("folder", *suite);
  set(folder, std::optional(kit::SandboxURLBookmark({0, 1, 255})));
  EXPECT_EQ(*suite->object("folder")->get<std::string>(), "\"AAH\\/\"");
  EXPECT_EQ(get(folder), kit::SandboxURLBookmark({0, 1, 255}));
}

TEST_F(PreferencesTest, TheBookmarksHolderKeepsItsKeyUntilItGoes) {
  using BookmarksUserDefaults = kit::SecurityScopedBookmarkManager::BookmarksUserDefaults;
  const long holdersBefore = suite.use_count();
  auto holder = std::make_unique<BookmarksUserDefaults>(
      std::make_unique<BookmarksUserDefaults::Key>("bookmarks", BookmarksUserDefaults::Bookmarks{}, *suite));
  EXPECT_EQ(suite.use_count(), holdersBefore + 1);
  set(holder->userDefaultsKey(), {{"/home/u/Project", kit::SandboxURLBookmark({0, 1, 255})}});
  EXPECT_EQ(get(holder->userDefaultsKey()).at("/home/u/Project"), kit::SandboxURLBookmark({0, 1, 255}));
  holder.reset();
  EXPECT_EQ(suite.use_count(), holdersBefore);
  EXPECT_TRUE(suite->object("bookmarks").has_value());
}

TEST_F(PreferencesTest, SpansAreStoredInTheStandardCodedFormAndReadBackExactly) {
  using namespace std::chrono_literals;
  Key<kit::Duration> delay("delay", 5s, *suite);
  EXPECT_EQ(get(delay), 5s);
  set(delay, kit::Duration(1500ms));
  EXPECT_EQ(*suite->object("delay")->get<std::string>(), "[0,1500000000000000000]");
  EXPECT_EQ(get(delay), 1500ms);
  for (kit::Duration span : {kit::Duration(-1500ms), kit::Duration::max(), kit::Duration::min(), kit::Duration(1ns)}) {
    set(delay, span);
    EXPECT_EQ(get(delay), span);
  }
  suite->set("delay", "[1,2,3]");
  EXPECT_EQ(get(delay), 5s);
  suite->set("delay", "[9223372036854775807,0]");  // far beyond what nanoseconds hold
  EXPECT_EQ(get(delay), 5s);
}

}  // namespace
