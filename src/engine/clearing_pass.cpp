#include "engine/clearing_pass.h"

#include "engine/text_transforms.h"
#include "engine/tracking_parameters.h"
#include "kit/foundation/attributed_text.h"
#include "kit/foundation/general_error.h"
#include "platform/text/rtf_writer.h"
#include "platform/text/utf8.h"
#include "platform/text/whitespace.h"

namespace engine {

namespace {

void replaceAll(std::string& text, std::string_view from, std::string_view to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
}

}  // namespace

std::string transformedText(std::string text, const TextTransformOptions& options) {
  if (options.removeTrackingParameters) text = removingTrackingParametersFromURLs(text);
  if (options.trimWhitespace) text = platform::trimmingWhitespaceAndNewlines(text);
  if (options.normalizeUnorderedLists) text = normalizingUnorderedLists(text);
  return text;
}

platform::AttributedString transformedText(const platform::AttributedString& text,
                                           const TextTransformOptions& options) {
  platform::AttributedString result = removingAllAttributesExceptLinks(text);
  if (options.removeTrackingParameters) removeTrackingParametersFromLinks(result);
  if (options.trimWhitespace) trimWhitespace(result);
  if (options.normalizeUnorderedLists) normalizeUnorderedLists(result);
  return result;
}

std::string plainCharacters(const platform::AttributedString& text) {
  std::string plain = text.string();
  replaceAll(plain, "\u2028", "\n");
  replaceAll(plain, "\u2029", "\n");
  return plain;
}

std::vector<platform::PasteboardEntry> entriesForText(const StringOrAttributedStringType& text) {
  using platform::PasteboardType::html;
  using platform::PasteboardType::rtf;
  using platform::PasteboardType::string;
  if (const auto* plain = std::get_if<std::string>(&text)) return {{string, *plain}};

  const auto& rich = std::get<platform::AttributedString>(text);
  std::vector<platform::PasteboardEntry> entries;
  std::string rtfText = platform::writeRtf(rich);
  if (!rtfText.empty() && platform::isValidUtf8(rtfText)) {
    replaceAll(rtfText, "\\fswiss", "\\fnil");
    entries.push_back({rtf, std::move(rtfText)});
    try {
      entries.push_back({html, kit::htmlString(rich, {"div", "span", "p"})});
    } catch (const kit::Error&) {
      // RTF alone still carries the links.
    }
  }
  entries.push_back({string, plainCharacters(rich)});
  return entries;
}

}  // namespace engine
