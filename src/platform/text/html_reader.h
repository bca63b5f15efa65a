#pragma once

#include <optional>
#include <string_view>

#include "platform/text/attributed_string.h"

namespace platform {

// Reads the bytes of an HTML document or fragment into text with links: block structure becomes line
// breaks, list items "\t•\t" (tabs by depth), table cells tabs, <br> U+2028, links resolved against
// <base href>. Never fetches anything; linear in the input. Nothing when the document cannot be parsed
// or is larger than 64 MiB; a document that reads to nothing but whitespace gives that whitespace.
std::optional<AttributedString> readHtml(std::string_view data);

}  // namespace platform
