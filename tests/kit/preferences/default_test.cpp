#include "kit/preferences/default.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/prefs/plist_codec.h"
#include "support/preference_files.h"

using namespace kit::Preferences;

namespace {

class DefaultTest : public ::testing::Test {
 protected:
  platform::ManualExecutor& main = prefs_test::testMainExecutor();
  prefs_test::TemporaryConfigHome home;
  std::shared_ptr<UserDefaults> suite = UserDefaults::named(prefs_test::uniqueSuiteName());
  Key<std::vector<std::string>> names{"names", {"a"}, *suite};
};

TEST_F(DefaultTest, ReadsWritesModifiesAndResetsItsKey) {
  Default<std::vector<std::string>> names(this->names);
  EXPECT_TRUE(names.isDefaultValue());
  names.set({"b"});
  EXPECT_EQ(get(this->names), std::vector<std::string>{"b"});
  EXPECT_FALSE(names.isDefaultValue());

  names.modify([](std::vector<std::string>& list) { list.push_back("c"); });
  EXPECT_EQ(names.value(), (std::vector<std::string>{"b", "c"}));
  // An edit abandoned by an error is written all the same.
  EXPECT_THROW(names.modify([](std::vector<std::string>& list) {
    list.clear();
    throw std::runtime_error("stop");
  }),
               std::runtime_error);
  EXPECT_TRUE(names.value().empty());

  names.reset();
  EXPECT_FALSE(suite->persistentDomain().count("names"));
  EXPECT_EQ(names.value(), std::vector<std::string>{"a"});
  EXPECT_TRUE(names.isDefaultValue());
}

// A control bound to the value reads the key and writes through the wrapper, which announces the write first.
TEST_F(DefaultTest, ItsBindingReadsTheKeyAndWritesAsTheWrapperDoes) {
  const kit::Binding<std::vector<std::string>> binding =
      Default<std::vector<std::string>>(this->names).projectedValue();
  EXPECT_EQ(binding.get(), std::vector<std::string>{"a"});
  set(this->names, {"elsewhere"});
  EXPECT_EQ(binding.get(), std::vector<std::string>{"elsewhere"});

  Default<std::vector<std::string>> names(this->names);
  std::vector<std::vector<std::string>> announced;
  auto subscription = names.objectWillChange().sink([&](const rx::Unit&) { announced.push_back(get(this->names)); });
  main.runUntilIdle();
  announced.clear();
  names.projectedValue().set({"bound"});
  EXPECT_EQ(get(this->names), std::vector<std::string>{"bound"});
  EXPECT_EQ(announced, std::vector<std::vector<std::string>>{{"elsewhere"}}) << "announced before the write";
}

TEST_F(DefaultTest, AnnouncesEveryChangeOfTheKeyWhereverItIsMade) {
  Default<std::vector<std::string>> names(this->names);
  std::vector<std::vector<std::string>> seen;
  auto subscription = names.objectWillChange().sink([&](const rx::Unit&) { seen.push_back(get(this->names)); });
  main.runUntilIdle();
  ASSERT_EQ(seen.size(), 1u);  // once after creation

  names.set({"own"});  // announced before the write, and again once it is made
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen.back(), std::vector<std::string>{"a"});
  main.runUntilIdle();
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen.back(), std::vector<std::string>{"own"});

  // Another key object of the name, another thread, a reset, and another program editing the file.
  Key<std::vector<std::string>> sameName("names", {"a"}, *suite);
  set(sameName, {"other key"});
  EXPECT_TRUE(prefs_test::waitUntil([&] { return seen.back() == std::vector<std::string>{"other key"}; }));
  std::thread([&] { set(sameName, {"other thread"}); }).join();
  EXPECT_TRUE(prefs_test::waitUntil([&] { return seen.back() == std::vector<std::string>{"other thread"}; }));
  names.reset();
  EXPECT_TRUE(prefs_test::waitUntil([&] { return seen.back() == std::vector<std::string>{"a"}; }));
  suite->flush();
  prefs_test::replaceFile(suite->filePath(),
                          platform::xmlPropertyList({{"names", platform::PlistArray{"other program"}}}));
  EXPECT_TRUE(prefs_test::waitUntil([&] { return seen.back() == std::vector<std::string>{"other program"}; }));
}

}  // namespace
