#pragma once

#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text/attributed_string.h"
#include "platform/text/html_reader.h"
#include "platform/text/rtf_reader.h"
#include "support/rich_text_sample.h"

namespace richtext_test {

// A sample document of tests/platform/text/rich_documents, as it was copied from its application.
inline std::string readDocument(const std::string& name) {
  std::ifstream file(std::string(QUILLET_TEST_DATA) + "/platform/text/rich_documents/" + name, std::ios::binary);
  std::stringstream content;
  content << file.rdbuf();
  return content.str();
}

// The attributes of a run that links to `url`.
inline platform::TextAttributes linkTo(std::string_view url) {
  return platform::TextAttributes{platform::Url::parse(url), std::nullopt};
}

// "[text](url)" for linked runs, the text as is otherwise.
inline std::string describe(const platform::AttributedString& s) {
  std::string out;
  for (const platform::AttributedString::Run& run : s.runs()) {
    std::string part = s.string().substr(run.range.location, run.range.length);
    out += run.attributes.link ? "[" + part + "](" + run.attributes.link->absoluteString() + ")" : part;
  }
  return out;
}

inline std::string describe(const std::optional<platform::AttributedString>& s) {
  return s ? describe(*s) : std::string("<nothing>");
}

// A text with all that a writer escapes or translates: braces, backslashes, quotes, a link, line and paragraph
// separators, a tab and characters outside the first plane.
inline platform::AttributedString writerSample() {
  platform::AttributedString text("Price: 5€ {net}\\ \"quoted\"\nSee ");
  text.append("the shop", linkTo("https://shop.example/a?b=1&c={x}\"y\""));
  text.append("\u2028next\tcol 😀 end");
  return text;
}

// The writer sample, then real documents as our readers read them: what a writer's output is read back against.
// Last, the writer sample again and again, past the size from which writers count their output first.
inline std::vector<platform::AttributedString> writerInputs() {
  platform::AttributedString large;
  while (large.string().size() <= (1u << 20)) {
    large.append(writerSample());
    large.append("\n");
  }
  return {writerSample(), *platform::readRtf(readDocument("libreoffice_writer.rtf")),
          *platform::readRtf(readDocument("mac_style_list.rtf")),
          *platform::readHtml(readDocument("firefox_article.html")), std::move(large)};
}

}  // namespace richtext_test
