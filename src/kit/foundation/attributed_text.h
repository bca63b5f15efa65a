#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/text/attributed_string.h"

namespace kit {

// Further settings of an HTML document: metadata by name ("author", "keywords", "description", ...), written as
// <meta> elements. The export's own settings (HTML, no default font, its excluded elements) cannot be changed.
using DocumentAttributes = std::map<std::string, std::string>;

// The whole text as a UTF-8 HTML document without a default font and without the legacy elements
// "applet", "basefont", "center", "dir", "font", "isindex", "menu", "s", "strike", "u", "xml", "doctype",
// "title", "style", nor the caller's `excludedElements`. Throws GeneralError("Invalid string.") when the
// document is not valid UTF-8.
std::string htmlString(const platform::AttributedString& text, const std::vector<std::string>& excludedElements = {},
                       const DocumentAttributes& documentAttributes = {});

// True when at least one run carries a link.
bool containsLink(const platform::AttributedString& text);

// True when at least one run carries a font.
bool containsFontAttribute(const platform::AttributedString& text);

// The value of one attribute when a single value covers the whole text; none for an empty text, a text where the
// attribute varies, or one where it is missing somewhere.
template <class V>
std::optional<V> uniformAttribute(const platform::AttributedString& text,
                                  std::optional<V> platform::TextAttributes::*attribute);
// The uniform font of the text, else the system font at the system size.
platform::FontSpec font(const platform::AttributedString& text);
// A copy of the text with one attribute set over its whole length; the other attributes stay.
template <class V>
platform::AttributedString adding(const platform::AttributedString& text,
                                  std::optional<V> platform::TextAttributes::*attribute, V value);
platform::AttributedString withFont(const platform::AttributedString& text, const platform::FontSpec& font);
// Every run at the new size: a run's own font keeps its family and weight, a run without one gets the system font.
void setFontSize(platform::AttributedString& text, double pointSize);

// The font at another weight (100 to 900); the font itself when its family is not installed.
platform::FontSpec withWeight(const platform::FontSpec& font, int weight);
// The bold font of headlines, made once: Helvetica Neue bold where it is installed, else the system font in bold;
// at the system size.
const platform::FontSpec& headlineBoldFont();

template <class V>
std::optional<V> uniformAttribute(const platform::AttributedString& text,
                                  std::optional<V> platform::TextAttributes::*attribute) {
  auto runs = text.runs();
  if (runs.empty()) return std::nullopt;
  const std::optional<V>& first = runs.front().attributes.*attribute;
  if (!first) return std::nullopt;
  for (const auto& run : runs) {
    if (!(run.attributes.*attribute == first)) return std::nullopt;
  }
  return first;
}

template <class V>
platform::AttributedString adding(const platform::AttributedString& text,
                                  std::optional<V> platform::TextAttributes::*attribute, V value) {
  platform::AttributedString copy = text;
  for (const auto& run : text.runs()) {
    platform::TextAttributes attributes = run.attributes;
    attributes.*attribute = value;
    copy.setAttributes(run.range, std::move(attributes));
  }
  return copy;
}

}  // namespace kit
