#include "engine/clearing_pass.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <memory>

#include "engine/content_decision.h"
#include "engine/pasteboard_controller.h"
#include "engine/pasteboard_markers.h"
#include "engine/preference_keys.h"
#include "platform/system/fake_workspace.h"

namespace engine {
namespace {

using platform::MemoryPasteboard;
using platform::PasteboardItem;
namespace type = platform::PasteboardType;
namespace Keys = kit::Preferences::Keys;
using Content = std::vector<std::pair<std::string, platform::Bytes>>;

PasteboardItem itemOf(const Content& content) {
  PasteboardItem item;
  for (const auto& [name, data] : content) {
    item.types.push_back(name);
    item.dataByType[name] = data;
  }
  return item;
}

// What the content decision makes of the content: nothing, the plain text, or "(linked) " and rich text.
std::optional<std::string> decide(const Content& content, bool preserveLinks = false,
                                  std::optional<std::string> frontmostApp = std::nullopt) {
  MemoryPasteboard pasteboard;
  pasteboard.setItems({itemOf(content)});
  auto result = contentToClean(pasteboard, preserveLinks, [&] { return frontmostApp; });
  if (!result) return std::nullopt;
  if (auto* plain = std::get_if<std::string>(&*result)) return *plain;
  return "(linked) " + std::get<platform::AttributedString>(*result).string();
}

TEST(ContentDecisionTest, SingleImageHtmlIsRecognisedOnlyAsWrittenAndOnlyWhenShort) {
  const std::string page = "<html><head><meta charset=\"utf-8\"></head><body>%</body></html>";
  auto with = [&](const std::string& body) {
    std::string html = page;
    return html.replace(html.find('%'), 1, body);
  };
  EXPECT_TRUE(isSingleImageHtml(with("<img src=\"a.png\">")));
  EXPECT_TRUE(isSingleImageHtml(with("<!-- c --><img src=\"a.png\"></img>")));
  EXPECT_FALSE(isSingleImageHtml(with("<img src=a><img src=b>")));
  EXPECT_FALSE(isSingleImageHtml(with("<span><img src=a></span>")));
  EXPECT_FALSE(isSingleImageHtml(with("<x-frame><img src=a></x-frame>")));
  EXPECT_FALSE(isSingleImageHtml(with("<IMG SRC=a>")));
  EXPECT_FALSE(isSingleImageHtml("<HTML><img src=a></HTML>"));
  std::string padded = with("<img src=\"a.png\">");
  padded += std::string(10000 - padded.size(), ' ');
  EXPECT_FALSE(isSingleImageHtml(padded));
  padded.pop_back();
  EXPECT_TRUE(isSingleImageHtml(padded));
}

TEST(ContentDecisionTest, RulesThatLeaveContentAloneAndTheirNearMisses) {
  EXPECT_EQ(decide({}), std::nullopt);
  EXPECT_EQ(decide({{type::html, "<i>(/figmeta)</i>"}, {type::rtf, "{\\rtf1 x}"}, {type::string, "x"}}), std::nullopt);
  EXPECT_EQ(decide({{type::html, "<!-- Drive options: isCopyOperation -->"}, {type::string, "d"}}), "d");
  // Blank plain text with HTML but no RTF is left alone; without any plain text the decision goes on.
  EXPECT_EQ(decide({{type::html, "<p>a</p>"}, {type::string, "\u2028 \n"}}), std::nullopt);
  EXPECT_EQ(decide({{type::html, "<p>a</p>"}, {type::rtf, "{\\rtf1 r}"}, {type::string, " "}}), " ");
  EXPECT_EQ(decide({{type::html, "<p>from html</p>"}}), "from html\n");
  // The spreadsheet's cut: only when the source application is the spreadsheet.
  const Content cut = {{type::string, "1"}, {"dyn.abc", "Cut 1"}};
  EXPECT_EQ(decide(cut, false, "com.microsoft.Excel"), std::nullopt);
  EXPECT_EQ(decide(cut, false, "org.example.Sheet"), "1");
  Content marked = cut;
  marked.emplace_back("com.microsoft.appbundleid", " com.microsoft.Excel\n");
  EXPECT_EQ(decide(marked), std::nullopt);
  // The drawing application's SVG, only when its text is SVG markup.
  const Content drawing = {{"com.adobe.illustrator.svg", ""}, {"com.adobe.illustrator.aicb", ""}};
  Content svg = drawing;
  svg.emplace_back(type::string, "\n <svg><path d=\"M0\"></path></svg>\n");
  EXPECT_EQ(decide(svg), std::nullopt);
  Content words = drawing;
  words.emplace_back(type::string, "<svg> is a tag");
  EXPECT_EQ(decide(words), "<svg> is a tag");
  // Images, fonts and colours with text, unless RTF is there.
  EXPECT_EQ(decide({{type::tiff, "img"}, {type::string, "t"}}), std::nullopt);
  EXPECT_EQ(decide({{type::tiff, "img"}, {type::string, "t"}, {type::rtf, "{\\rtf1 t}"}}), "t");
  EXPECT_EQ(decide({{type::font, "f"}, {type::string, "t"}}), std::nullopt);
  EXPECT_EQ(decide({{type::fileUrl, "file:///a"}, {type::string, "/a"}}), std::nullopt);
}

TEST(ContentDecisionTest, TheTextToCleanComesFromPlainTextUrlOrRichTextInThatOrder) {
  const std::string linked = "{\\rtf1 See {\\field{\\*\\fldinst HYPERLINK \"https://a.example/\"}{\\fldrslt this}}}";
  EXPECT_EQ(decide({{type::rtf, linked}, {type::string, "See this"}}, true), "(linked) See this");
  EXPECT_EQ(decide({{type::rtf, linked}, {type::string, "See this"}}, false), "See this");
  EXPECT_EQ(decide({{type::rtf, "{\\rtf1 no link}"}, {type::string, "plain"}}, true), "plain");
  EXPECT_EQ(decide({{type::string, ""}, {type::url, "https://u.example/"}}), "https://u.example/");
  EXPECT_EQ(decide({{type::string, ""}, {type::rtf, "{\\rtf1 only rich}"}}), "only rich");
  EXPECT_EQ(decide({{type::rtf, "{\\rtf1 \\par}"}}), "\n");
  EXPECT_EQ(decide({{type::string, ""}}), std::nullopt);
}

TEST(PasteboardMarkersTest, SourceApplicationFromMarkersIsTrimmedAndBlankCountsAsNone) {
  auto source = [](const Content& content) {
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
  auto preserved = preservedItemData(items, calendarPasteboardTypes());
  ASSERT_EQ(preserved.size(), 2u);
  EXPECT_EQ(preserved[0], (DataByType{{calendarEventType, "EVT"}}));
  EXPECT_EQ(preserved[1], (DataByType{{"org.nspasteboard.ConcealedType", ""}}));
  auto all = dataByType(itemOf({{type::string, "u8"}, {"public.utf16-external-plain-text", "u16"}}));
  EXPECT_EQ(all, (DataByType{{type::string, "u8"}}));
}

TEST(ClearingPassTest, RichTextIsWrittenAsLinkOnlyRtfHtmlAndItsPlainCharacters) {
  platform::AttributedString text("Read\u2028this\u2029now");
  platform::TextAttributes link;
  link.link = platform::Url::parse("https://example.com/?utm_source=a&q=1");
  text.setAttributes({7, 4}, link);
  auto cleaned = transformedText(text, {.removeTrackingParameters = true});
  auto entries = entriesForText(cleaned);
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].type, type::rtf);
  EXPECT_NE(entries[0].data.find("HYPERLINK \"https://example.com/?q=1\""), std::string::npos) << entries[0].data;
  EXPECT_EQ(entries[0].data.find("\\fswiss"), std::string::npos);
  EXPECT_EQ(entries[1].type, type::html);
  EXPECT_NE(entries[1].data.find("href=\"https://example.com/?q=1\""), std::string::npos);
  EXPECT_EQ(entries[2].type, type::string);
  EXPECT_EQ(entries[2].data, "Read\nthis\nnow");

  auto plain = entriesForText(StringOrAttributedStringType(std::string()));
  ASSERT_EQ(plain.size(), 1u);
  EXPECT_EQ(plain[0].type, type::string);
  EXPECT_EQ(plain[0].data, "");
}

// Another application writes its copy while the engine is still reading the previous one.
class PasteboardWrittenDuringRead final : public platform::Pasteboard {
 public:
  MemoryPasteboard inner;
  int64_t changeCount() const override { return inner.changeCount(); }
  std::vector<std::string> types() override { return inner.types(); }
  std::optional<platform::Bytes> data(std::string_view type) override {
    auto result = inner.data(type);
    if (type == type::string && !copied_) {
      copied_ = true;
      inner.setItems({itemOf({{type::html, "<b>newer</b>"}, {type::string, "newer"}})});
    }
    return result;
  }
  std::vector<PasteboardItem> items() override { return inner.items(); }
  bool write(std::vector<platform::PasteboardEntry> entries, std::optional<int64_t> onlyIfChangeCountIs) override {
    return inner.write(std::move(entries), onlyIfChangeCountIs);
  }
  platform::rx::Publisher<int64_t> changes() override { return inner.changes(); }

 private:
  bool copied_ = false;
};

class ControllerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    kit::Preferences::removeAll();
    kit::Preferences::set(Keys::automaticallyClearFormatting(), false);
  }
};

TEST_F(ControllerTest, APassWhoseContentWasReplacedMeanwhileWritesNothing) {
  PasteboardWrittenDuringRead pasteboard;
  pasteboard.inner.setItems({itemOf({{type::html, "<b>older</b>"}, {type::string, "older"}})});
  PasteboardController controller(pasteboard);
  controller.clearFormatting();
  EXPECT_EQ(pasteboard.string(type::string), "newer");
  EXPECT_FALSE(hasType(pasteboard, cleanedMarkerType()));

  // The next pass cleans the newer copy.
  controller.clearFormatting();
  EXPECT_EQ(pasteboard.types(),
            (std::vector<std::string>{type::string, cleanedMarkerType(), "x.nspasteboard.ModifiedType"}));
}

TEST_F(ControllerTest, WhileTheScriptIsEditedThePassSkipsItAndScriptsSeeOurOwnId) {
  kit::Preferences::set(Keys::transformTextWithJavaScript(), true);
  kit::Preferences::set(Keys::javaScriptCode(), std::string("return $.sourceApp + ':' + $.text"));
  MemoryPasteboard pasteboard;
  pasteboard.setItems(
      {itemOf({{type::html, "<b>t</b>"}, {type::string, "t"}, {"org.nspasteboard.source", "org.example.A"}})});
  PasteboardController controller(pasteboard);
  controller.setEditingCode(true);
  controller.clearFormatting();
  EXPECT_EQ(pasteboard.string(type::string), "t");
  EXPECT_EQ(controller.runJavaScript("return $.sourceApp", ""), "com.kestrova.Quillet");

  controller.setEditingCode(false);
  pasteboard.setItems(
      {itemOf({{type::html, "<b>u</b>"}, {type::string, "u"}, {"org.nspasteboard.source", "org.example.B"}})});
  controller.forgetSourceApp();
  controller.clearFormatting();
  EXPECT_EQ(pasteboard.string(type::string), "org.example.B:u");
  EXPECT_EQ(pasteboard.string("org.nspasteboard.source"), "org.example.B");
}

TEST_F(ControllerTest, ALinkThatOpensABlockLeavesTheBlockBreakOutsideBothOutputs) {
  kit::Preferences::set(Keys::preserveLinks(), true);
  const std::string rtfLink = "{\\field{\\*\\fldinst{HYPERLINK \"https://example.com/para\"}}{\\fldrslt docs}}";
  const std::string htmlLink = "<a href=\"https://example.com/para\">docs</a>";
  const std::string a = "<a href=\"https://example.com/para\">docs</a>";
  struct Case {
    std::string type, input, rtf, html;
  };
  const Case cases[] = {
      {type::html, "<p>Intro</p><p>" + a + " tail</p>", "Intro\\par\n" + rtfLink + " tail\\par\n",
       "Intro<br>" + htmlLink + " tail<br>"},
      {type::html, "<p>Intro</p><h2>" + a + " tail</h2>", "Intro\\par\n" + rtfLink + " tail\\par\n",
       "Intro<br>" + htmlLink + " tail<br>"},
      {type::html, "<div>Intro</div><div>" + a + " tail</div>", "Intro\\par\n" + rtfLink + " tail\\par\n",
       "Intro<br>" + htmlLink + " tail<br>"},
      {type::html, "Intro<p><span>" + a + "</span> tail</p>", "Intro\\par\n" + rtfLink + " tail\\par\n",
       "Intro<br>" + htmlLink + " tail<br>"},
      {type::html, "<table><tr><td>Intro</td></tr><tr><td>" + a + " tail</td></tr></table>",
       "Intro\\par\n" + rtfLink + " tail\\par\n", "Intro<br>" + htmlLink + " tail<br>"},
      // Where the line already ends before the link.
      {type::html, "Intro<br>" + a + " tail", "Intro\\line " + rtfLink + " tail", "Intro<br>" + htmlLink + " tail"},
      {type::html, "<ul><li>Intro</li><li>" + a + " tail</li></ul>",
       "\\tab \\u8226 \\tab Intro\\par\n\\tab \\u8226 \\tab " + rtfLink + " tail\\par\n",
       "&#9;•&#9;Intro<br>&#9;•&#9;" + htmlLink + " tail<br>"},
      {type::html, "<table><tr><td>Intro</td><td>" + a + " tail</td></tr></table>",
       "Intro\\tab " + rtfLink + " tail\\par\n", "Intro&#9;" + htmlLink + " tail<br>"},
      {type::rtf,
       "{\\rtf1 Intro\\par {\\field{\\*\\fldinst HYPERLINK \"https://example.com/para\"}{\\fldrslt docs}} tail}",
       "Intro\\par\n" + rtfLink + " tail", "Intro<br>" + htmlLink + " tail"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    MemoryPasteboard pasteboard;
    pasteboard.setItems({itemOf({{c.type, c.input}, {type::string, "Intro docs tail"}})});
    PasteboardController controller(pasteboard);
    controller.clearFormatting();
    EXPECT_EQ(pasteboard.string(type::rtf), "{\\rtf1\\ansi\\ansicpg1252\\uc0 " + c.rtf + "}");
    EXPECT_EQ(pasteboard.string(type::html),
              "<html><head><meta charset=\"utf-8\"></head><body>" + c.html + "</body></html>");
  }
}

class SourceApplicationTest : public ControllerTest {
 protected:
  void SetUp() override {
    ControllerTest::SetUp();
    platform::Workspace::setSharedForTesting(&workspace);
    controller = std::make_unique<PasteboardController>(pasteboard);
  }
  void TearDown() override {
    controller.reset();
    platform::Workspace::setSharedForTesting(nullptr);
  }

  // The source application of a copy with `content`, owned by `owner`.
  std::optional<std::string> sourceOf(const Content& content, std::optional<std::string> owner = "org.example.Owner") {
    pasteboard.setItems({itemOf(content)});
    pasteboard.setOwnerApplication(std::move(owner));
    return controller->sourceAppBundleIdentifier();
  }

  platform::FakeWorkspace workspace;
  MemoryPasteboard pasteboard;
  std::unique_ptr<PasteboardController> controller;  // made once automatic clearing is off
};

TEST_F(SourceApplicationTest, MarkersComeFirstInTheirOrderThenTheOwnerThenTheFrontmostApplication) {
  const std::pair<std::string, std::string> source = {"org.nspasteboard.source", "org.example.Marked"};
  const std::pair<std::string, std::string> pages = {"com.apple.iWork.pasteboardState.applicationName-Pages", ""};
  const std::pair<std::string, std::string> numbers = {"com.apple.iWork.pasteboardState.applicationName-Numbers", ""};
  const std::pair<std::string, std::string> keynote = {"com.apple.iWork.pasteboardState.applicationName-Keynote", ""};
  const std::pair<std::string, std::string> office = {"com.microsoft.appbundleid", "com.microsoft.Word"};
  const std::pair<std::string, std::string> text = {type::string, "t"};
  EXPECT_EQ(sourceOf({text, source}), "org.example.Marked");
  EXPECT_EQ(sourceOf({text, pages}), "com.apple.iWork.Pages");
  EXPECT_EQ(sourceOf({text, numbers}), "com.apple.iWork.Numbers");
  EXPECT_EQ(sourceOf({text, keynote}), "com.apple.iWork.Keynote");
  EXPECT_EQ(sourceOf({text, office}), "com.microsoft.Word");
  EXPECT_EQ(sourceOf({text, office, keynote, numbers, pages, source}), "org.example.Marked");
  EXPECT_EQ(sourceOf({text, office, keynote, numbers, pages}), "com.apple.iWork.Pages");
  EXPECT_EQ(sourceOf({text, office, keynote, numbers}), "com.apple.iWork.Numbers");
  EXPECT_EQ(sourceOf({text, office, keynote}), "com.apple.iWork.Keynote");
  EXPECT_EQ(sourceOf({text, {"org.nspasteboard.source", " "}, office}), "com.microsoft.Word");

  // Without markers the clipboard's owner answers; the frontmost application only when there is no owner.
  kit::Preferences::set(Keys::_forceUsingFrontmostApp(), true);
  workspace.frontmost = platform::RunningApplication{.pid = 7, .bundleIdentifier = "org.example.Front"};
  EXPECT_EQ(sourceOf({text}), "org.example.Owner");
  EXPECT_EQ(sourceOf({text}, std::nullopt), "org.example.Front");

  // The content decision asks the owner too: the spreadsheet's cut is left alone without any marker.
  sourceOf({text, {"dyn.ah62d4rv4gu8y", "Cut 1"}}, "com.microsoft.Excel");
  EXPECT_FALSE(controller->currentContent());
  sourceOf({text, {"dyn.ah62d4rv4gu8y", "Cut 1"}});
  EXPECT_TRUE(controller->currentContent());
}

TEST_F(SourceApplicationTest, TheWriteBackOffersASourceMarkerOnlyWhenTheCopyHadOne) {
  // As copy and clear does it: the source looked up afresh, then the pass.
  auto cleanAndReadSource = [&](const Content& content) {
    sourceOf(content);
    controller->clearUnlessCleaned();
    EXPECT_TRUE(hasType(pasteboard, cleanedMarkerType()));
    return pasteboard.string("org.nspasteboard.source");
  };
  EXPECT_EQ(cleanAndReadSource({{type::html, "<b>a</b>"}, {type::string, "a"}}), std::nullopt);
  EXPECT_EQ(controller->pasteboardItemSourceApp(), "org.example.Owner");
  EXPECT_EQ(cleanAndReadSource({{type::html, "<b>b</b>"}, {type::string, "b"}, {"org.nspasteboard.source", " w\n"}}),
            " w\n");
  EXPECT_EQ(controller->pasteboardItemSourceApp(), "w");
  // Our own write has no owner to tell.
  EXPECT_EQ(pasteboard.ownerApplication(), std::nullopt);
}

}  // namespace
}  // namespace engine
