#pragma once

#include <string>
#include <vector>

namespace kit {

struct NaturalLanguage {
  std::string code;  // BCP 47 ("en", "zh-Hans")
  std::string englishName;
};

// The languages offered for choosing a language of text, alphabetical by English name; made once.
const std::vector<NaturalLanguage>& naturalLanguages();

}  // namespace kit
