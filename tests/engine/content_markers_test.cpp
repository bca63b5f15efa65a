#include "engine/content_markers.h"

#include <gtest/gtest.h>

#include "doubles/memory_pasteboard.h"
#include "support/pasteboard_items.h"

namespace engine {
namespace {

using platform::MemoryPasteboard;
using platform::PasteboardItem;
namespace type = platform::PasteboardType;

TEST(PasteboardMarkersTest, SourceApplicationFromMarkersIsTrimmedAndBlankCountsAsNone) {
  auto source = [](const PasteboardContent& content) {
    MemoryPasteboard pasteboard;
    pasteboard.setItems({itemOf(content)});
    return sourceAppBundleIdentifier(pasteboard);
  };
  EXPECT_EQ(source({{"org.nspasteboard.source", " \n org.example.App\t\n"}}), "org.example.App");
  EXPECT_EQ(
      source({{"org.nspasteboard.source", "  "}, {"com.apple.iWork.pasteboardState.applicationName-Numbers", ""}}),
      "com.apple.iWork.Numbers");
  EXPECT_EQ(source({{"com.microsoft.appbundleid", " com.microsoft.Word "}}), "com.microsoft.Word");
  EXPECT_EQ(source({{"com.microsoft.appbundleid", " \n"}}), std::nullopt);
  EXPECT_EQ(source({{type::string, "x"}}), std::nullopt);
}

TEST(PasteboardMarkersTest, PreservedDataKeepsOnlyTheListedTypesOfItemsThatHaveThem) {
  std::vector<PasteboardItem> items = {itemOf({{type::string, "a"}}),
                                       itemOf({{type::string, "b"}, {calendarEventType, "EVT"}, {"other", "o"}}),
                                       itemOf({{"org.nspasteboard.ConcealedType", ""}})};
  const auto kept = itemsWithPreservedTypes(items, calendarPasteboardTypes());
  ASSERT_EQ(kept.size(), 2u);
  EXPECT_EQ(kept[0].types, items[1].types);
  EXPECT_EQ(kept[1].types, items[2].types);
  auto preserved = preservedItemData(items, calendarPasteboardTypes());
  ASSERT_EQ(preserved.size(), 2u);
  EXPECT_EQ(preserved[0], (DataByType{{calendarEventType, "EVT"}}));
  EXPECT_EQ(preserved[1], (DataByType{{"org.nspasteboard.ConcealedType", ""}}));

  // Restored after what the write holds already, item by item.
  std::vector<platform::PasteboardEntry> entries = {{type::string, "cleaned"}};
  restorePreservedItemData(preserved, entries);
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[1].type, calendarEventType);
  EXPECT_EQ(entries[1].data, "EVT");
  EXPECT_EQ(entries[2].type, "org.nspasteboard.ConcealedType");
}

TEST(PasteboardMarkersTest, DataByTypeKeepsTheItemsOrderOfTypes) {
  PasteboardItem item = itemOf({{"z.last", "1"},
                                {type::string, "u8"},
                                {"public.utf16-external-plain-text", "u16"},
                                {"a.first", "2"},
                                {"z.last", "3"}});
  item.types.push_back("no.data");
  const OrderedDataByType all = dataByType(item);
  EXPECT_EQ(all.types, (std::vector<std::string>{"z.last", type::string, "a.first"}));
  EXPECT_EQ(all.data.at("z.last"), item.dataByType.at("z.last"));
  EXPECT_EQ(all.data.size(), 3u);
  const OrderedDataByType accepted = dataByType(item, [](const std::string& name) { return name != type::string; });
  EXPECT_EQ(accepted.types, (std::vector<std::string>{"z.last", "a.first"}))
      << "the UTF-16 text goes with an item that has UTF-8 text, also when that is not taken";
}

}  // namespace
}  // namespace engine
