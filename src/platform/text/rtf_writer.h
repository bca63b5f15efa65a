#pragma once

#include <string>

#include "platform/text/attributed_string.h"

namespace platform {

// RTF of the text and its links only: no font table (pasted text takes the destination's font), line
// breaks as \par and \line, every non-ASCII character as \uN, links as HYPERLINK fields.
std::string writeRtf(const AttributedString& text);

}  // namespace platform
