#pragma once

#include <optional>
#include <string_view>

#include "platform/text/attributed_string.h"

namespace platform {

// Reads flattened RTFD (a serialised folder: a "rtfd" header, entry names and entry data) by reading
// the RTF document it carries; attachments are ignored. Nothing when the data is not flattened RTFD or
// holds no readable RTF.
std::optional<AttributedString> readRtfd(std::string_view data);

}  // namespace platform
