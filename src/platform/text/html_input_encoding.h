#pragma once

#include <string>
#include <string_view>

namespace platform {

// The UTF-8 text of HTML bytes: UTF-16 by its byte-order mark, a UTF-8 mark dropped, valid UTF-8 as it is,
// otherwise the charset of a <meta> tag, otherwise UTF-8 with invalid sequences replaced. Valid UTF-8 is given
// as part of `data`; converted text is kept in `storage`.
std::string_view htmlInputAsUtf8(std::string_view data, std::string& storage);

}  // namespace platform
