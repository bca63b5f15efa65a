// Any bytes give text or nothing; what the reader gives is valid UTF-8 with visible characters, and our
// HTML output of it reads back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/text/html_reader.h"
#include "platform/text/html_writer.h"
#include "platform/text/utf8.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::optional<platform::AttributedString> text = platform::readHtml(input);
  if (!text) return 0;
  if (!platform::isValidUtf8(text->string())) std::abort();
  std::optional<platform::AttributedString> again = platform::readHtml(platform::writeHtml(*text));
  if (!again) std::abort();
  return 0;
}
