// Any bytes give text or nothing. What the reader gives, the writer writes and the reader reads back to the
// same text (up to the line ends and control characters the writer normalises).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/text/rtf_reader.h"
#include "platform/text/rtf_writer.h"
#include "platform/text/utf8.h"

namespace {
std::string normalised(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    auto c = static_cast<unsigned char>(text[i]);
    if (c == '\r') {
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += '\n';
    } else if (text.compare(i, 3, "\xE2\x80\xA9") == 0) {
      out += '\n';
      i += 2;
    } else if ((c < 0x20 && c != '\t' && c != '\n') || c == 0x7F) {
      continue;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::optional<platform::AttributedString> text = platform::readRtf(input);
  if (!text) return 0;
  if (!platform::isValidUtf8(text->string())) std::abort();
  std::optional<platform::AttributedString> again = platform::readRtf(platform::writeRtf(*text));
  if (!again || again->string() != normalised(text->string())) std::abort();
  return 0;
}
