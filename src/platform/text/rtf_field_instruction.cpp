#include "platform/text/rtf_field_instruction.h"

#include <vector>

#include "platform/core/ascii.h"

namespace platform {

namespace {
struct Token {
  std::string text;
  bool quoted = false;
};

std::vector<Token> tokenize(std::string_view s) {
  std::vector<Token> tokens;
  size_t i = 0;
  while (i < s.size()) {
    if (isAsciiWhitespace(s[i])) {
      ++i;
      continue;
    }
    Token token;
    if (s[i] == '"') {
      token.quoted = true;
      ++i;
      while (i < s.size() && s[i] != '"') {
        size_t end = i;
        while (end < s.size() && s[end] != '"' && s[end] != '\\') ++end;
        token.text.append(s.substr(i, end - i));
        i = end;
        if (i < s.size() && s[i] == '\\') {
          if (i + 1 < s.size() && (s[i + 1] == '"' || s[i + 1] == '\\')) ++i;
          token.text += s[i++];
        }
      }
      ++i;  // closing quote
    } else {
      size_t end = i;
      while (end < s.size() && !isAsciiWhitespace(s[end]) && s[end] != '"') ++end;
      token.text.assign(s.substr(i, end - i));
      i = end;
    }
    tokens.push_back(std::move(token));
  }
  return tokens;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i] >= 'a' && a[i] <= 'z' ? static_cast<char>(a[i] - 32) : a[i];
    char y = b[i] >= 'a' && b[i] <= 'z' ? static_cast<char>(b[i] - 32) : b[i];
    if (x != y) return false;
  }
  return true;
}
}  // namespace

std::optional<std::string> hyperlinkTarget(std::string_view instruction) {
  std::vector<Token> tokens = tokenize(instruction);
  if (tokens.empty() || tokens[0].quoted || !equalsIgnoringCase(tokens[0].text, "HYPERLINK")) return std::nullopt;
  // The tokens that give the address and the anchor, by index.
  std::optional<size_t> address;
  std::optional<size_t> anchor;
  for (size_t i = 1; i < tokens.size(); ++i) {
    const Token& token = tokens[i];
    if (!token.quoted && token.text.size() >= 2 && token.text[0] == '\\') {
      char name = token.text[1];
      // \l names an anchor; \o (tooltip) and \t (target frame) take an argument we do not use.
      if ((name == 'l' || name == 'o' || name == 't') && i + 1 < tokens.size()) {
        if (name == 'l') anchor = i + 1;
        ++i;
      }
      continue;
    }
    if (!address) address = i;
  }
  std::string target = address ? std::move(tokens[*address].text) : std::string();
  if (anchor && !tokens[*anchor].text.empty()) target += "#" + tokens[*anchor].text;
  if (target.empty()) return std::nullopt;
  return target;
}

}  // namespace platform
