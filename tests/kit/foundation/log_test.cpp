#include "kit/foundation/log.h"

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <thread>
#include <vector>

#include "kit/foundation/bytes.h"
#include "kit/foundation/general_error.h"

namespace {

TEST(Log, TextIsTheRenderedItemsFollowedByTheLocation) {
  EXPECT_EQ(kit::loggedText({"IGNORING PASTEBOARD"}, "pasteboardDidChange()", "Quillet/PasteboardController.cpp", 326),
            "\"IGNORING PASTEBOARD\"\n\t[pasteboardDidChange() in PasteboardController:326]\n");
  EXPECT_EQ(kit::loggedText({"abc", 5}, "f()", "a.cpp", 1), "\"abc\" 5\n\t[f() in a:1]\n");
  EXPECT_EQ(kit::loggedText({}, "f()", "/x/b.cpp.cpp", 2), "\n\t[f() in b.cpp:2]\n");
  EXPECT_EQ(kit::loggedText({}, "f()", "/x/c.h", 3), "\n\t[f() in c.h:3]\n");
}

TEST(Log, ItemsRenderAsADebuggerShowsThem) {
  EXPECT_EQ(kit::LogItem("say \"hi\"\\\n\t\r").rendered(), "\"say \\\"hi\\\"\\\\\\n\\t\\r\"");
  EXPECT_EQ(kit::LogItem(std::string_view("a\0b", 3)).rendered(), "\"a\\0b\"");
  EXPECT_EQ(kit::LogItem(1.0).rendered(), "1.0");
  EXPECT_EQ(kit::LogItem(0.1).rendered(), "0.1");
  EXPECT_EQ(kit::LogItem(-3).rendered(), "-3");
  EXPECT_EQ(kit::LogItem(true).rendered(), "true");
  EXPECT_EQ(kit::LogItem(std::optional<int>()).rendered(), "nil");
  EXPECT_EQ(kit::LogItem(std::optional<std::string>("x")).rendered(), "Optional(\"x\")");
  EXPECT_EQ(kit::LogItem(0.1 + 0.2).rendered(), "0.30000000000000004");
  EXPECT_EQ(kit::LogItem(uint8_t{65}).rendered(), "65");
  EXPECT_EQ(kit::LogItem(std::vector<std::string>{"a", "b"}).rendered(), "[\"a\", \"b\"]");
  EXPECT_EQ(kit::LogItem(std::map<std::string, int>{{"k", 1}}).rendered(), "[\"k\": 1]");
  EXPECT_EQ(kit::LogItem(kit::Bytes(7)).rendered(), kit::Bytes(7).debugDescription());
  EXPECT_TRUE(
      kit::LogItem(kit::GeneralError("Gone."))
          .rendered()
          .starts_with(R"(kit::GeneralError(domain: "GeneralError", code: 1, errorDescription: Optional("Gone."))"));
  EXPECT_EQ(kit::loggedText({"n", std::vector<bool>{true}, std::optional<double>(1.0)}, "f()", "a.cpp", 1),
            "\"n\" [true] Optional(1.0)\n\t[f() in a:1]\n");
}

struct Pasteboard {
  void didChange() const { kit::log({"changed"}); }
  template <class T>
  void read(T) {
    [] { kit::log({"read"}); }();
  }
};

TEST(Log, EntriesWithoutAGivenNameCarryThePlainFunctionName) {
  kit::debugLogStore().clear();
  Pasteboard().didChange();
  Pasteboard().read(1);
  auto entries = kit::debugLogStore().entries();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_TRUE(entries[0].starts_with("\"changed\"\n\t[didChange() in log_test:")) << entries[0];
  EXPECT_TRUE(entries[1].starts_with("\"read\"\n\t[read() in log_test:")) << entries[1];

  EXPECT_EQ(kit::plainFunctionName("std::vector<int> ns::Foo<T>::bar(const std::map<int, int>&) const [with T = int]"),
            "bar()");
  EXPECT_EQ(kit::plainFunctionName("void {anonymous}::f(int (*)(int))::<lambda(int)>::<lambda()>"), "f()");
  EXPECT_EQ(kit::plainFunctionName("bool ns::X::operator<(const ns::X&) const"), "operator<()");
  EXPECT_EQ(kit::plainFunctionName("ns::X::~X()"), "~X()");
  EXPECT_EQ(kit::plainFunctionName("int main()"), "main()");
}

TEST(Log, EntriesCarryTheUtcDateAndReachTheMemoryLog) {
  kit::debugLogStore().clear();
  kit::log({"first"}, kit::LogType::info, "test()");
  kit::log({"second", 2});
  auto entries = kit::debugLogStore().entries();
  ASSERT_EQ(entries.size(), 2u);
  std::regex shape(
      "\"first\"\n\t\\[test\\(\\) in log_test:\\d+\\]\n\t\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d \\+0000\n");
  EXPECT_TRUE(std::regex_match(entries[0], shape)) << entries[0];
  EXPECT_TRUE(entries[1].starts_with("\"second\" 2\n\t[")) << entries[1];
}

TEST(DebugLogStore, KeepsTheNewestTenThousandOldestFirst) {
  kit::DebugLogStore store;
  for (int i = 0; i <= 10000; ++i) store.append(std::to_string(i));
  auto entries = store.entries();
  ASSERT_EQ(entries.size(), 10000u);
  EXPECT_EQ(entries.front(), "1");
  EXPECT_EQ(entries.back(), "10000");
}

TEST(DebugLogStore, ConcurrentWritersNeverPassTheBoundNorTearEntries) {
  kit::DebugLogStore store;
  constexpr int writers = 4, perWriter = 4000;
  std::vector<std::thread> threads;
  for (int w = 0; w < writers; ++w) {
    threads.emplace_back([&store, w] {
      for (int i = 0; i < perWriter; ++i) store.append("writer " + std::to_string(w) + " entry " + std::to_string(i));
    });
  }
  std::thread reader([&store] {
    for (int i = 0; i < 200; ++i) ASSERT_LE(store.entries().size(), 10000u);
  });
  for (auto& thread : threads) thread.join();
  reader.join();
  auto entries = store.entries();
  ASSERT_EQ(entries.size(), 10000u);
  std::regex whole("writer [0-3] entry \\d+");
  std::vector<int> last(writers, -1);
  for (const auto& entry : entries) {
    ASSERT_TRUE(std::regex_match(entry, whole)) << entry;
    // Each writer's own entries stay in its order.
    int writer = entry[7] - '0';
    int index = std::stoi(entry.substr(entry.rfind(' ') + 1));
    EXPECT_GT(index, last[writer]);
    last[writer] = index;
  }
}

}  // namespace
