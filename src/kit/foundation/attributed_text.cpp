#include "kit/foundation/attributed_text.h"

#include <algorithm>
#include <set>

#include "kit/foundation/general_error.h"
#include "platform/text/fonts.h"
#include "platform/text/html_writer.h"
#include "platform/text/utf8.h"

namespace kit {

std::string htmlString(const platform::AttributedString& text, const std::vector<std::string>& excludedElements,
                       const DocumentAttributes& documentAttributes) {
  std::set<std::string> excluded = {"applet", "basefont", "center", "dir", "font",    "isindex", "menu",
                                    "s",      "strike",   "u",      "xml", "doctype", "title",   "style"};
  excluded.insert(excludedElements.begin(), excludedElements.end());
  std::string html = platform::writeHtml(text, excluded, documentAttributes);
  if (!platform::isValidUtf8(html)) throw GeneralError("Invalid string.");
  return html;
}

bool containsLink(const platform::AttributedString& text) { return text.containsLink(); }

bool containsFontAttribute(const platform::AttributedString& text) { return text.containsFontAttribute(); }

platform::FontSpec font(const platform::AttributedString& text) {
  if (auto uniform = uniformAttribute(text, &platform::TextAttributes::font)) return *uniform;
  return platform::systemFont(platform::systemFontSize());
}

platform::AttributedString withFont(const platform::AttributedString& text, const platform::FontSpec& font) {
  return adding(text, &platform::TextAttributes::font, font);
}

void setFontSize(platform::AttributedString& text, double pointSize) {
  std::vector<std::pair<platform::ByteRange, platform::TextAttributes>> changed;
  for (const auto& run : text.runs()) {
    platform::TextAttributes attributes = run.attributes;
    if (attributes.font)
      attributes.font->pointSize = pointSize;
    else
      attributes.font = platform::systemFont(pointSize);
    changed.emplace_back(run.range, std::move(attributes));
  }
  for (auto& [range, attributes] : changed) text.setAttributes(range, std::move(attributes));
}

platform::FontSpec withWeight(const platform::FontSpec& font, int weight) {
  if (!platform::isFontInstalled(font.family)) return font;
  platform::FontSpec weighted = font;
  weighted.weight = std::clamp(weight, 100, 900);
  return weighted;
}

const platform::FontSpec& headlineBoldFont() {
  static const platform::FontSpec headline = [] {
    platform::FontSpec font = platform::systemFont(platform::systemFontSize());
    if (platform::isFontInstalled("Helvetica Neue")) font.family = "Helvetica Neue";
    font.weight = 700;
    return font;
  }();
  return headline;
}

}  // namespace kit
