#pragma once

#include <optional>

#include "platform/pasteboard/pasteboard.h"
#include "platform/text/attributed_string.h"

namespace engine {

// The rich content of the pasteboard: RTFD, else RTF, else HTML, each tried when the one before is absent
// or does not decode. HTML that reads to nothing but whitespace gives nothing; RTF and RTFD always count.
std::optional<platform::AttributedString> attributedContent(platform::Pasteboard& pasteboard);
// The same from the data of the three formats.
std::optional<platform::AttributedString> attributedContent(const platform::SharedBytes& rtfd,
                                                            const platform::SharedBytes& rtf,
                                                            const platform::SharedBytes& html);

}  // namespace engine
