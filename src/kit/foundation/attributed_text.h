#pragma once

#include <string>
#include <vector>

#include "platform/text/attributed_string.h"

namespace kit {

// The whole text as a UTF-8 HTML document without a default font and without the legacy elements
// "applet", "basefont", "center", "dir", "font", "isindex", "menu", "s", "strike", "u", "xml", "doctype",
// "title", "style", nor the caller's `excludedElements`. Throws GeneralError("Invalid string.") when the
// document is not valid UTF-8.
std::string htmlString(const platform::AttributedString& text, const std::vector<std::string>& excludedElements = {});

// True when at least one run carries a link.
bool containsLink(const platform::AttributedString& text);

// True when at least one run carries a font.
bool containsFontAttribute(const platform::AttributedString& text);

}  // namespace kit
