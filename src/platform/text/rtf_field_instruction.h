#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The link target of a field instruction such as `HYPERLINK "http://x/" \l "part"` ("http://x/#part"),
// or nothing when the instruction is not a hyperlink or names no target.
std::optional<std::string> hyperlinkTarget(std::string_view instruction);

}  // namespace platform
