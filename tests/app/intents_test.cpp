#include "app/intents.h"

#include <gtest/gtest.h>

#include "engine/pasteboard_controller.h"
#include "engine/preference_keys.h"
#include "support/pasteboard_items.h"

namespace app {
namespace {

namespace type = platform::PasteboardType;

TEST(ClearFormattingIntentTest, CleansTheClipboardForgettingTheSourceAppOfAnEarlierChange) {
  kit::Preferences::set(kit::Preferences::Keys::automaticallyClearFormatting(), false);
  platform::MemoryPasteboard pasteboard;
  engine::PasteboardController controller(pasteboard);
  pasteboard.setItems(
      {itemOf({{type::html, "<b>a</b>"}, {type::string, "a"}, {"org.nspasteboard.source", "org.example.Earlier"}})});
  controller.clearFormatting();
  ASSERT_EQ(controller.pasteboardItemSourceApp(), "org.example.Earlier");

  pasteboard.setItems({itemOf({{type::html, "<b>Bold</b> text"}, {type::string, "Bold text"}})});

  ClearFormattingIntent().perform(controller);
  EXPECT_EQ(pasteboard.string(type::string), "Bold text");
  EXPECT_FALSE(pasteboard.string(type::html).has_value());
  EXPECT_EQ(controller.pasteboardItemSourceApp(), std::nullopt) << "this copy carries no source of its own";
}

}  // namespace
}  // namespace app
