#pragma once

#include <optional>
#include <string_view>

#include "platform/text/attributed_string.h"

namespace platform {

// Reads RTF into text with links (HYPERLINK fields). Nothing when the data does not start with "{\rtf"
// (after leading whitespace), and nothing when it gives up: groups that each change how the text is read, nested
// thousands deep (never a part of the text instead). Any bytes give text or nothing; time and memory stay linear in
// the input.
std::optional<AttributedString> readRtf(std::string_view data);

}  // namespace platform
