#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/core/utf8_scalar.h"

namespace platform {

// The longest start of the text of at most `limit` bytes that splits no UTF-8 sequence.
std::string_view utf8Prefix(std::string_view text, std::size_t limit);

}  // namespace platform
