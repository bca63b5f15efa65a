#pragma once

#include <concepts>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "platform/pasteboard/pasteboard.h"
#include "platform/text/attributed_string.h"

namespace engine {

// The two forms of text a clearing pass carries: plain, or rich text that carries at least one link (only while
// links are kept). No other type is one.
template <class Text>
concept StringOrAttributedString = std::same_as<Text, std::string> || std::same_as<Text, platform::AttributedString>;

// The text a clearing pass works on, in either form.
using StringOrAttributedStringType = std::variant<std::string, platform::AttributedString>;
// The case of that form.
template <StringOrAttributedString Text>
StringOrAttributedStringType stringOrAttributedStringType(Text content) {
  return StringOrAttributedStringType(std::in_place_type<Text>, std::move(content));
}

// Answers the application the content came from when its markers name none (its owner, else the
// application the user works in).
using FrontmostAppLookup = std::function<std::optional<std::string>()>;

// What the content decision found to clean, before it is read: the plain text and URL the copy offers, and its rich
// forms where the reading needs them (while links are kept, or when there is neither plain text nor a URL). The bytes
// are the pasteboard's own, shared rather than copied.
struct ContentToRead {
  bool preserveLinks = false;
  platform::SharedBytes plain, url;
  platform::SharedBytes rtfd, rtf, html;
  std::size_t size() const;
};

// The content decision: none for content that is not simply formatted text (files, images with text, fonts,
// colours, design and office applications' own clipboard formats, a lone image in HTML, HTML whose plain text is
// blank), else what reading it needs.
std::optional<ContentToRead> contentToRead(platform::Pasteboard& pasteboard, bool preserveLinks,
                                           const FrontmostAppLookup& frontmostApp);
// The text to clean, read from what the decision found; none when nothing readable is left. Touches no pasteboard,
// so it can run on any thread.
std::optional<StringOrAttributedStringType> readContent(const ContentToRead& content);
// Both: the content of the pasteboard that may be cleaned, read as the text to clean.
std::optional<StringOrAttributedStringType> contentToClean(platform::Pasteboard& pasteboard, bool preserveLinks,
                                                           const FrontmostAppLookup& frontmostApp);

// The types whose data deciding on a change and cleaning it read (the rich formats only while links are kept);
// other types are read on demand, or only asked whether they are there.
std::vector<std::string> typesReadForCleaning(bool preserveLinks);

// HTML that holds nothing but one image (besides html, head, body and meta tags). Only HTML of fewer than
// 10,000 characters that contains "img" is scanned.
bool isSingleImageHtml(const std::string& html);

}  // namespace engine
