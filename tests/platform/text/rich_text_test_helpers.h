#pragma once

#include <fstream>
#include <sstream>
#include <string>

#include "platform/text/attributed_string.h"

namespace richtext_test {

inline std::string readDocument(const std::string& name) {
  std::ifstream file(std::string(QUILLET_TEST_DATA) + "/platform/text/rich_documents/" + name, std::ios::binary);
  std::stringstream content;
  content << file.rdbuf();
  return content.str();
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

}  // namespace richtext_test
