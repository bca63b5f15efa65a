#include "app/intents.h"

#include <gtest/gtest.h>

#include <QTest>

#include "doubles/memory_pasteboard.h"
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

  // Nothing to clean: the caller still hears that it is done.
  pasteboard.setItems({});
  bool done = false;
  ClearFormattingIntent().perform(controller, [&] { done = true; });
  EXPECT_TRUE(QTest::qWaitFor([&] { return done; }));
}

TEST(RemoveTrackingParametersIntentTest, CleansEachUrlInOrderLeavingExemptHostsAndUrlsWithoutQueryAlone) {
  EXPECT_TRUE(RemoveTrackingParametersIntent{}.perform().empty());
  RemoveTrackingParametersIntent intent;
  for (const char* text : {"https://example.com/a?utm_source=x&id=1", "https://login.okta.com/a?utm_source=x",
                           "https://example.com/b", "https://example.com/c?fbclid=1"})
    intent.url.push_back(*platform::Url::parseStrict(text));
  std::vector<std::string> cleaned;
  for (const platform::Url& url : intent.perform()) cleaned.push_back(url.absoluteString());
  EXPECT_EQ(cleaned, (std::vector<std::string>{"https://example.com/a?id=1", "https://login.okta.com/a?utm_source=x",
                                               "https://example.com/b", "https://example.com/c"}));
}

TEST(RemoveTrackingParametersIntentTest, TextsThatAreNotURLsAreSummedUpForTheLogWithoutTheirContent) {
  std::vector<std::string> texts(100'000, "not a url");
  texts.front() = "my password is hunter2";
  const auto result = removeTrackingParametersLineByLine(texts);
  ASSERT_EQ(result.lines, texts);
  const std::string summary = notURLsSummary(result.notURLs);
  EXPECT_EQ(summary,
            "100000 texts are not a URL and passed on unchanged (lengths in bytes: 22, 9, 9, 9, 9, 9, 9, 9, 9, 9, …)");
  EXPECT_EQ(notURLsSummary({"x"}), "1 text is not a URL and passed on unchanged (lengths in bytes: 1)");
}

}  // namespace
}  // namespace app
