#include "engine/rich_content.h"

#include "platform/text/html_reader.h"
#include "platform/text/rtf_reader.h"
#include "platform/text/rtfd_reader.h"

namespace engine {

std::optional<platform::AttributedString> attributedContent(platform::Pasteboard& pasteboard) {
  return attributedContent(pasteboard.data(platform::PasteboardType::rtfd),
                           pasteboard.data(platform::PasteboardType::rtf),
                           pasteboard.data(platform::PasteboardType::html));
}

std::optional<platform::AttributedString> attributedContent(const std::optional<platform::Bytes>& rtfd,
                                                            const std::optional<platform::Bytes>& rtf,
                                                            const std::optional<platform::Bytes>& html) {
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
