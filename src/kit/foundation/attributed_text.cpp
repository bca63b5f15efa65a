#include "kit/foundation/attributed_text.h"

#include <set>

#include "kit/foundation/general_error.h"
#include "platform/text/html_writer.h"
#include "platform/text/utf8.h"

namespace kit {

std::string htmlString(const platform::AttributedString& text, const std::vector<std::string>& excludedElements) {
  std::set<std::string> excluded = {"applet", "basefont", "center", "dir", "font",    "isindex", "menu",
                                    "s",      "strike",   "u",      "xml", "doctype", "title",   "style"};
  excluded.insert(excludedElements.begin(), excludedElements.end());
  std::string html = platform::writeHtml(text, excluded);
  if (!platform::isValidUtf8(html)) throw GeneralError("Invalid string.");
  return html;
}

bool containsLink(const platform::AttributedString& text) { return text.containsLink(); }

bool containsFontAttribute(const platform::AttributedString& text) { return text.containsFontAttribute(); }

}  // namespace kit
