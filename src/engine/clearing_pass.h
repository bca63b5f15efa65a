#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/clipboard_loop_guard.h"
#include "engine/content_decision.h"
#include "engine/script_step.h"
#include "kit/foundation/general_error.h"
#include "platform/pasteboard/pasteboard.h"

namespace engine {

// The transforms a clearing pass applies, in this order, to plain text and to link-keeping rich text alike.
struct TextTransformOptions {
  bool removeTrackingParameters = false;
  bool trimWhitespace = false;
  bool normalizeUnorderedLists = false;
};

std::string transformedText(std::string text, const TextTransformOptions& options);
// The text keeps only its links; then the transforms apply to the text and its links.
platform::AttributedString transformedText(platform::AttributedString text, const TextTransformOptions& options);

// The pasteboard entries that carry the cleaned text. Plain text is written as it is (also when empty). Rich
// text is written as RTF and HTML that keep only the links, together with its plain characters so that
// plain-text fields can paste it; when no RTF can be made, the plain characters alone are written.
std::vector<platform::PasteboardEntry> entriesForText(StringOrAttributedStringType text);

// What a pass makes of the content: the entries that carry the cleaned text, how the loop guard will recognise them
// once written (made by the pass, so that a large text is digested off the main thread), and the script's error when
// it failed (the text is then as the other transforms made it).
struct CleanedContent {
  std::vector<platform::PasteboardEntry> entries;
  ClipboardLoopGuard::WrittenContent written;
  std::optional<kit::PlatformError> scriptFailure;
};

// Reads the content, applies the transforms (and the script, to plain text) and makes the entries of the cleaned
// text; none when there is nothing to clean. Touches no pasteboard and reads no preferences, so it can run on any
// thread.
std::optional<CleanedContent> cleanContent(const ContentToRead& content, const TextTransformOptions& options,
                                           const std::optional<ScriptStep>& script);

// The characters of rich text as plain text: line and paragraph separators become line feeds.
std::string plainCharacters(const platform::AttributedString& text);

}  // namespace engine
