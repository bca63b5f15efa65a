// Any clipboard content, however its formats are filled, is either left alone or cleaned into valid text;
// the link-keeping output of it is never empty of text when the cleaned text has characters.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "doubles/memory_pasteboard.h"
#include "engine/clearing_pass.h"
#include "engine/content_decision.h"
#include "platform/pasteboard/pasteboard.h"
#include "platform/text/utf8.h"

namespace {

// The first byte picks the offered types; the rest is cut at NUL NUL into their data, in order.
platform::PasteboardItem itemFrom(std::string_view input) {
  static const std::string types[] = {platform::PasteboardType::html,   platform::PasteboardType::rtf,
                                      platform::PasteboardType::string, platform::PasteboardType::rtfd,
                                      platform::PasteboardType::url,    platform::PasteboardType::tiff,
                                      "com.adobe.illustrator.svg",      "com.adobe.illustrator.aicb"};
  platform::PasteboardItem item;
  if (input.empty()) return item;
  const unsigned choice = static_cast<unsigned char>(input.front());
  input.remove_prefix(1);
  for (unsigned i = 0; i < 8; ++i) {
    if ((choice & (1u << i)) == 0) continue;
    size_t end = input.find(std::string_view("\0\0", 2));
    std::string_view part = input.substr(0, end);
    item.types.push_back(types[i]);
    item.dataByType[types[i]] = std::string(part);
    input = end == std::string_view::npos ? std::string_view() : input.substr(end + 2);
  }
  return item;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  platform::MemoryPasteboard pasteboard;
  pasteboard.setItems({itemFrom(std::string_view(reinterpret_cast<const char*>(data), size))});
  for (bool preserveLinks : {false, true}) {
    auto content = engine::contentToClean(pasteboard, preserveLinks, [] { return std::nullopt; });
    if (!content) continue;
    engine::TextTransformOptions options{true, true, true};
    engine::StringOrAttributedStringType cleaned =
        std::holds_alternative<std::string>(*content)
            ? engine::StringOrAttributedStringType(engine::transformedText(std::get<std::string>(*content), options))
            : engine::StringOrAttributedStringType(
                  engine::transformedText(std::get<platform::AttributedString>(*content), options));
    auto entries = engine::entriesForText(cleaned);
    if (entries.empty() || entries.back().type != platform::PasteboardType::string) std::abort();
    if (!platform::isValidUtf8(entries.back().data)) std::abort();
  }
  return 0;
}
