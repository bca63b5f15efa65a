#include "engine/clearing_pass.h"

#include "engine/text_transforms.h"
#include "engine/tracking_parameters.h"
#include "kit/foundation/attributed_text.h"
#include "kit/foundation/general_error.h"
#include "platform/core/memory.h"
#include "platform/text/rtf_writer.h"
#include "platform/text/utf8.h"
#include "platform/text/whitespace.h"

namespace engine {

namespace {

constexpr std::size_t largeContent = 1u << 20;

// Entries stay on the clipboard for as long as the program owns it: text written with much spare room is moved into
// a buffer of its size.
void dropSpareCapacity(std::string& text) {
  if (text.capacity() - text.size() > text.size() / 8) text.shrink_to_fit();
}

void replaceAll(std::string& text, std::string_view from, std::string_view to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
}

// The texts of the entries, as the loop guard will see them coming back.
ClipboardLoopGuard::Content guardContentOf(const std::vector<platform::PasteboardEntry>& entries) {
  ClipboardLoopGuard::Content content;
  for (const auto& entry : entries) {
    if (entry.type == platform::PasteboardType::string) content.text = entry.data;
    if (entry.type == platform::PasteboardType::html) content.html = entry.data;
    if (entry.type == platform::PasteboardType::rtf) content.rtf = entry.data;
  }
  return content;
}

}  // namespace

std::string transformedText(std::string text, const TextTransformOptions& options) {
  if (options.removeTrackingParameters) text = removingTrackingParametersFromURLs(text);
  if (options.trimWhitespace) text = platform::trimmingWhitespaceAndNewlines(text);
  if (options.normalizeUnorderedLists) text = normalizingUnorderedLists(text);
  return text;
}

platform::AttributedString transformedText(platform::AttributedString text, const TextTransformOptions& options) {
  // Only links stay; the readers set nothing else, so the text is copied only when there is something to drop.
  platform::AttributedString result =
      text.containsFontAttribute() ? removingAllAttributesExceptLinks(text) : std::move(text);
  if (options.removeTrackingParameters) removeTrackingParametersFromLinks(result);
  if (options.trimWhitespace) trimWhitespace(result);
  if (options.normalizeUnorderedLists) normalizeUnorderedLists(result);
  return result;
}

std::optional<CleanedContent> cleanContent(const ContentToRead& content, const TextTransformOptions& options,
                                           const std::optional<ScriptStep>& script) {
  if (content.size() >= largeContent) platform::mapLargeBlocksApart();
  auto text = readContent(content);
  if (!text) return std::nullopt;
  std::vector<platform::PasteboardEntry> entries;
  std::optional<kit::PlatformError> scriptFailure;
  if (auto* plain = std::get_if<std::string>(&*text)) {
    std::string transformed = transformedText(std::move(*plain), options);
    if (script) transformed = script->transformTextWithJavaScript(std::move(transformed), scriptFailure);
    entries = entriesForText(std::move(transformed));
  } else {
    entries = entriesForText(transformedText(std::move(std::get<platform::AttributedString>(*text)), options));
  }
  ClipboardLoopGuard::WrittenContent written(guardContentOf(entries));
  CleanedContent cleaned{std::move(entries), std::move(written), std::move(scriptFailure)};
  // A large pass has freed several times its content by now; the allocator would keep it while the program idles.
  if (content.size() >= largeContent) platform::returnFreedMemoryToSystem();
  return cleaned;
}

std::string plainCharacters(const platform::AttributedString& text) {
  std::string plain = text.string();
  replaceAll(plain, "\u2028", "\n");
  replaceAll(plain, "\u2029", "\n");
  return plain;
}

std::vector<platform::PasteboardEntry> entriesForText(StringOrAttributedStringType text) {
  using platform::PasteboardType::html;
  using platform::PasteboardType::rtf;
  using platform::PasteboardType::string;
  if (auto* plain = std::get_if<std::string>(&text)) return {{string, std::move(*plain)}};

  const auto& rich = std::get<platform::AttributedString>(text);
  std::vector<platform::PasteboardEntry> entries;
  std::string rtfText = platform::writeRtf(rich);
  if (!rtfText.empty() && platform::isValidUtf8(rtfText)) {
    replaceAll(rtfText, "\\fswiss", "\\fnil");
    dropSpareCapacity(rtfText);
    entries.push_back({rtf, std::move(rtfText)});
    try {
      std::string htmlText = kit::htmlString(rich, {"div", "span", "p"});
      dropSpareCapacity(htmlText);
      entries.push_back({html, std::move(htmlText)});
    } catch (const kit::Error&) {
      // RTF alone still carries the links.
    }
  }
  entries.push_back({string, plainCharacters(rich)});
  return entries;
}

}  // namespace engine
