#include "engine/content_decision.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "engine/content_markers.h"
#include "engine/rich_content.h"
#include "engine/text_transforms.h"
#include "engine/url_utilities.h"
#include "kit/foundation/attributed_text.h"
#include "kit/foundation/pasteboard_markers.h"
#include "kit/foundation/text_checking.h"
#include "platform/text/grapheme.h"
#include "platform/text/icu_regex.h"
#include "platform/text/whitespace.h"

namespace engine {

namespace {

namespace Type = platform::PasteboardType;

bool contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

bool listed(const std::vector<std::string>& types, std::string_view type) {
  return std::find(types.begin(), types.end(), type) != types.end();
}

const platform::Regex& openingTagRegex() {
  static const platform::Regex regex = platform::Regex::compile(R"(<(?<tagName>[\w-]+)[^>]*?>)");
  return regex;
}

bool isMarkupOfOtherApplication(const std::string& html) {
  if (contains(html, "(figmeta)") || contains(html, "(/figmeta)")) return true;
  return contains(html, "<!-- Drive options:") && contains(html, "isCopyOperation") && contains(html, "href=");
}

bool isSpreadsheetCut(platform::Pasteboard& pasteboard, const std::vector<std::string>& types,
                      const FrontmostAppLookup& frontmostApp) {
  // Only the spreadsheet's dynamic types can make this rule fire: skip the source lookup without them.
  std::vector<std::string> dynamicTypes;
  std::copy_if(types.begin(), types.end(), std::back_inserter(dynamicTypes),
               [](const std::string& type) { return type.starts_with("dyn."); });
  if (dynamicTypes.empty()) return false;
  auto source = sourceAppBundleIdentifier(pasteboard);
  if (!source && frontmostApp) source = frontmostApp();
  if (source != "com.microsoft.Excel") return false;
  return std::any_of(dynamicTypes.begin(), dynamicTypes.end(), [&](const std::string& type) {
    auto text = pasteboard.string(type);
    return text && text->starts_with("Cut ");
  });
}

bool isDrawingApplicationSvg(platform::Pasteboard& pasteboard, const std::vector<std::string>& types) {
  if (!listed(types, "com.adobe.illustrator.svg") || !listed(types, "com.adobe.illustrator.aicb")) return false;
  auto plain = pasteboard.string(Type::string);
  if (!plain) return false;
  std::string text = platform::trimmingWhitespaceAndNewlines(*plain);
  return kit::htmlTagPairRegex().isMatched(text) && text.starts_with("<svg") && text.ends_with("</svg>");
}

// Content that is not simply formatted text.
bool isLeftAlone(platform::Pasteboard& pasteboard, const std::vector<std::string>& types,
                 const FrontmostAppLookup& frontmostApp) {
  if (types.empty()) return true;
  std::string_view files[] = {Type::fileUrl, Type::fileContents};
  if (pasteboard.availableType(files)) return true;
  if (auto html = pasteboard.sharedString(Type::html)) {
    if (isMarkupOfOtherApplication(*html) || isSingleImageHtml(*html)) return true;
  }
  if (listed(types, Type::html) && !listed(types, Type::rtf)) {
    if (auto plain = pasteboard.string(Type::string); plain && !hasNonWhitespace(*plain)) return true;
  }
  if (isSpreadsheetCut(pasteboard, types, frontmostApp)) return true;
  if (isDrawingApplicationSvg(pasteboard, types)) return true;
  if (listed(types, Type::rtf)) return false;
  if (listed(types, Type::tiff) && listed(types, Type::string)) return true;
  return listed(types, Type::font) || listed(types, Type::color);
}

}  // namespace

std::vector<std::string> typesReadForCleaning(bool preserveLinks) {
  std::vector<std::string> types = {Type::string,
                                    Type::html,
                                    Type::url,
                                    kit::PasteboardType::source,
                                    kit::PasteboardType::modified,
                                    "com.microsoft.appbundleid"};
  types.insert(types.end(), calendarPasteboardTypes().begin(), calendarPasteboardTypes().end());
  if (preserveLinks) types.insert(types.end(), {Type::rtfd, Type::rtf});
  return types;
}

bool isSingleImageHtml(const std::string& html) {
  if (!contains(html, "img") || platform::graphemeCount(html, 10000) >= 10000) return false;
  std::vector<std::string_view> names;
  for (const auto& match : openingTagRegex().matches(html)) {
    auto range = match.group("tagName");
    if (!range) continue;
    std::string_view name = std::string_view(html).substr(range->location, range->length);
    if (name != "html" && name != "head" && name != "body" && name != "meta") names.push_back(name);
  }
  return names.size() == 1 && names.front() == "img";
}

std::size_t ContentToRead::size() const {
  std::size_t total = 0;
  for (const auto* part : {&plain, &url, &rtfd, &rtf, &html}) total += *part ? (*part)->size() : 0;
  return total;
}

std::optional<ContentToRead> contentToRead(platform::Pasteboard& pasteboard, bool preserveLinks,
                                           const FrontmostAppLookup& frontmostApp) {
  if (isLeftAlone(pasteboard, pasteboard.types(), frontmostApp)) return std::nullopt;
  ContentToRead content;
  content.preserveLinks = preserveLinks;
  content.plain = pasteboard.sharedString(Type::string);
  if (!content.plain || content.plain->empty()) content.url = pasteboard.sharedString(Type::url);
  bool hasText = (content.plain && !content.plain->empty()) || (content.url && !content.url->empty());
  if (preserveLinks || !hasText) {
    content.rtfd = pasteboard.sharedData(Type::rtfd);
    content.rtf = pasteboard.sharedData(Type::rtf);
    content.html = pasteboard.sharedData(Type::html);
  }
  return content;
}

std::optional<StringOrAttributedStringType> readContent(const ContentToRead& content) {
  std::optional<platform::AttributedString> rich;
  if (content.preserveLinks) {
    rich = attributedContent(content.rtfd, content.rtf, content.html);
    if (rich && kit::containsLink(*rich)) return stringOrAttributedStringType(std::move(*rich));
  }
  if (content.plain && !content.plain->empty()) return stringOrAttributedStringType(*content.plain);
  if (content.url && !content.url->empty()) return stringOrAttributedStringType(*content.url);
  if (!content.preserveLinks) rich = attributedContent(content.rtfd, content.rtf, content.html);
  if (rich) return stringOrAttributedStringType(rich->string());
  return std::nullopt;
}

std::optional<StringOrAttributedStringType> contentToClean(platform::Pasteboard& pasteboard, bool preserveLinks,
                                                           const FrontmostAppLookup& frontmostApp) {
  auto content = contentToRead(pasteboard, preserveLinks, frontmostApp);
  if (!content) return std::nullopt;
  return readContent(*content);
}

}  // namespace engine
