#include "engine/rich_content.h"

#include "engine/url_utilities.h"
#include "platform/text/html_reader.h"
#include "platform/text/rtf_reader.h"
#include "platform/text/rtfd_reader.h"

namespace engine {

std::optional<platform::AttributedString> attributedContent(platform::Pasteboard& pasteboard) {
  return attributedContent(pasteboard.sharedData(platform::PasteboardType::rtfd),
                           pasteboard.sharedData(platform::PasteboardType::rtf),
                           pasteboard.sharedData(platform::PasteboardType::html));
}

std::optional<platform::AttributedString> attributedContent(const platform::SharedBytes& rtfd,
                                                            const platform::SharedBytes& rtf,
                                                            const platform::SharedBytes& html) {
  if (rtfd) {
    if (auto text = platform::readRtfd(*rtfd)) return text;
  }
  if (rtf) {
    if (auto text = platform::readRtf(*rtf)) return text;
  }
  if (!html) return std::nullopt;
  // HTML that reads to nothing but whitespace is no rich content.
  auto text = platform::readHtml(*html);
  if (!text || !hasNonWhitespace(text->string())) return std::nullopt;
  return text;
}

}  // namespace engine
