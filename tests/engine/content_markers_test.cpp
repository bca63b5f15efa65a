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
    return sourceAppFromMarkers(pasteboard);
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
  auto preserved = preservedItemData(items, calendarPasteboardTypes());
  ASSERT_EQ(preserved.size(), 2u);
  EXPECT_EQ(preserved[0], (DataByType{{calendarEventType, "EVT"}}));
  EXPECT_EQ(preserved[1], (DataByType{{"org.nspasteboard.ConcealedType", ""}}));
  auto all = dataByType(itemOf({{type::string, "u8"}, {"public.utf16-external-plain-text", "u16"}}));
  EXPECT_EQ(all, (DataByType{{type::string, "u8"}}));
}

}  // namespace
}  // namespace engine
