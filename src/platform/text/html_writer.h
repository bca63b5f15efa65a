#pragma once

#include <map>
#include <set>
#include <string>

#include "platform/text/attributed_string.h"

namespace platform {

// A UTF-8 HTML document of the text and its links only: <br> for line breaks, runs of spaces kept with
// &nbsp;, links as <a href>. No style, title or default font. Elements named in `excludedElements` are left
// out with their tags (their text stays). Each `metadata` entry becomes a <meta name content> element.
std::string writeHtml(const AttributedString& text, const std::set<std::string>& excludedElements = {},
                      const std::map<std::string, std::string>& metadata = {});

}  // namespace platform
