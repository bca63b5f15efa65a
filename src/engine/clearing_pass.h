#pragma once

#include <string>
#include <vector>

#include "engine/content_decision.h"
#include "platform/pasteboard/pasteboard.h"

namespace engine {

// The transforms a clearing pass applies, in this order, to plain text and to link-keeping rich text alike.
struct TextTransformOptions {
  bool removeTrackingParameters = false;
  bool trimWhitespace = false;
  bool normalizeUnorderedLists = false;
};

std::string transformedText(std::string text, const TextTransformOptions& options);
// The text keeps only its links; then the transforms apply to the text and its links.
platform::AttributedString transformedText(const platform::AttributedString& text, const TextTransformOptions& options);

// The pasteboard entries that carry the cleaned text. Plain text is written as it is (also when empty). Rich
// text is written as RTF and HTML that keep only the links, together with its plain characters so that
// plain-text fields can paste it; when no RTF can be made, the plain characters alone are written.
std::vector<platform::PasteboardEntry> entriesForText(const StringOrAttributedStringType& text);

// The characters of rich text as plain text: line and paragraph separators become line feeds.
std::string plainCharacters(const platform::AttributedString& text);

}  // namespace engine
