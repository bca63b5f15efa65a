#pragma once

#include <optional>
#include <string_view>

#include "platform/text/attributed_string.h"

namespace platform {

// Reads RTF into text with links (HYPERLINK fields). Nothing when the data does not start with "{\rtf"
// (after leading whitespace). Any bytes give text or nothing; time and memory stay linear in the input.
std::optional<AttributedString> readRtf(std::string_view data);

}  // namespace platform
