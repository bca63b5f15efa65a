#include "engine/rich_content.h"

#include "platform/text/html_reader.h"
#include "platform/text/rtf_reader.h"
#include "platform/text/rtfd_reader.h"

namespace engine {

std::optional<platform::AttributedString> attributedContent(platform::Pasteboard& pasteboard) {
  using platform::PasteboardType::html;
  using platform::PasteboardType::rtf;
  using platform::PasteboardType::rtfd;
  if (std::optional<platform::Bytes> data = pasteboard.data(rtfd)) {
    if (auto text = platform::readRtfd(*data)) return text;
  }
  if (std::optional<platform::Bytes> data = pasteboard.data(rtf)) {
    if (auto text = platform::readRtf(*data)) return text;
  }
  if (std::optional<platform::Bytes> data = pasteboard.data(html)) return platform::readHtml(*data);
  return std::nullopt;
}

}  // namespace engine
