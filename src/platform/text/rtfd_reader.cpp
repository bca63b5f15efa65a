#include "platform/text/rtfd_reader.h"

#include "platform/text/rtf_reader.h"

namespace platform {

std::optional<AttributedString> readRtfd(std::string_view data) {
  if (!data.starts_with("rtfd")) return std::nullopt;
  // The RTF entry is stored verbatim; the reader stops where its outermost group closes, so the
  // attachments after it do not matter.
  size_t start = data.find("{\\rtf", 4);
  if (start == std::string_view::npos) return std::nullopt;
  return readRtf(data.substr(start));
}

}  // namespace platform
