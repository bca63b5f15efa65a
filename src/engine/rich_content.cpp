#include "engine/rich_content.h"

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
  if (html) return platform::readHtml(*html);
  return std::nullopt;
}

}  // namespace engine
