#include "doubles/memory_pasteboard.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/pasteboard/pasteboard.h"

namespace {

namespace Type = platform::PasteboardType;

TEST(MemoryPasteboardTest, WritesReplaceEverythingAndStaleConditionalWritesDoNothing) {
  platform::MemoryPasteboard pasteboard;
  std::vector<int64_t> changes;
  auto subscription = pasteboard.changes().sink([&](int64_t count) { changes.push_back(count); });
  pasteboard.setItems({{{"a", "b"}, {{"a", "1"}, {"b", "2"}}}, {{"a", "c"}, {{"a", "other"}, {"c", "3"}}}});
  EXPECT_EQ(pasteboard.types(), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(pasteboard.data("a"), "1");  // the first item that has the type answers
  ASSERT_TRUE(pasteboard.write({{Type::string, "x"}, {"m", ""}}, 1));
  EXPECT_EQ(pasteboard.items().size(), 1u);
  EXPECT_EQ(pasteboard.data("a"), std::nullopt);
  EXPECT_EQ(pasteboard.data("m"), "");
  EXPECT_FALSE(pasteboard.write({{Type::string, "late"}}, 1));
  EXPECT_EQ(pasteboard.data(Type::string), "x");
  subscription.cancel();
  pasteboard.write({});
  EXPECT_EQ(changes, (std::vector<int64_t>{1, 2}));
  EXPECT_TRUE(pasteboard.items().empty());
  EXPECT_EQ(pasteboard.changeCount(), 3);
}

}  // namespace
