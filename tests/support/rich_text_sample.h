#pragma once

#include <string>
#include <string_view>

// Rich text as tests and benchmarks copy it, without the readers and writers: it serves the helper programs too.
namespace richtext_test {

// A link as our writers write it and as applications copy it.
inline std::string htmlLink(std::string_view url, std::string_view text) {
  return "<a href=\"" + std::string(url) + "\">" + std::string(text) + "</a>";
}

inline std::string rtfLink(std::string_view url, std::string_view text) {
  return "{\\field{\\*\\fldinst{HYPERLINK \"" + std::string(url) + "\"}}{\\fldrslt " + std::string(text) + "}}";
}

// A rich copy as a browser offers it: a paragraph with `words` in bold, then a link; and its plain text.
struct RichCopy {
  std::string html, text;
};

inline RichCopy richCopy(std::string_view words) {
  return {"<p><b>" + std::string(words) + "</b> " + htmlLink("https://example.com/", "link") + "</p>",
          std::string(words) + " link"};
}

}  // namespace richtext_test
