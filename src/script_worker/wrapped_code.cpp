#include "script_worker/wrapped_code.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

#include "platform/core/ascii.h"
#include "platform/js/js_context.h"
#include "platform/text/grapheme.h"
#include "platform/text/utf16_map.h"
#include "platform/text/utf8.h"

namespace engine {

namespace {

constexpr std::string_view head = "(() => {";
constexpr std::string_view tail = "\n})()";
// The longest code whose syntax errors are searched for their column: each beginning the parser is asked about costs
// about 40 ms a megabyte, and a script this long is not typed by hand.
constexpr std::size_t longestCodeSearched = std::size_t{256} << 10;

// The length of the line terminator at `offset`, or 0: JavaScript ends lines at LF, CR, CR LF, U+2028 and U+2029.
std::size_t terminatorLength(std::string_view text, std::size_t offset) {
  const std::string_view rest = text.substr(offset);
  if (rest.starts_with("\r\n")) return 2;
  if (rest.starts_with('\n') || rest.starts_with('\r')) return 1;
  if (rest.starts_with("\u2028") || rest.starts_with("\u2029")) return 3;
  return 0;
}

// ASCII letters, digits, "_" and "$", and any other letter: every byte of a UTF-8 sequence is at least 0x80.
bool isNameByte(char c) {
  return platform::isAsciiLetter(c) || platform::isAsciiDigit(c) || c == '_' || c == '$' ||
         static_cast<unsigned char>(c) >= 0x80;
}

std::size_t startOfNameEndingAt(std::string_view line, std::size_t end) {
  while (end > 0 && isNameByte(line[end - 1])) --end;
  return end;
}

// The start of the token that ends at `end` of the line when the parser's message quotes it, as it does most:
// "Unexpected token ';'", "Unexpected number '1.5e3'", "Unterminated regular expression literal '/[/'", and a string
// literal as written ("Unexpected string literal "x""). The longest such token is taken.
std::optional<std::size_t> startOfQuotedToken(std::string_view line, std::size_t end, std::string_view message) {
  const std::size_t longest = std::min(end, message.size());
  for (std::size_t length = longest; length > 0; --length) {
    const std::string_view token = line.substr(end - length, length);
    const bool isString =
        token.size() >= 2 && (token[0] == '\'' || token[0] == '"' || token[0] == '`') && token.back() == token[0];
    if (isString ? message.find(token) != std::string_view::npos
                 : message.find("'" + std::string(token) + "'") != std::string_view::npos) {
      return end - length;
    }
  }
  return std::nullopt;
}

std::optional<int> integer(const platform::JSValue& value) {
  if (!value.isNumber()) return std::nullopt;
  return value.toInt32();
}

bool isString(const platform::JSValue& value, std::string_view text) {
  return value.isString() && value.toString() == text;
}

// The line and column of the innermost frame of `stack` ("function@url:line:column" per line) in `url`.
std::optional<std::pair<int, int>> innermostFrameIn(std::string_view stack, std::string_view url) {
  while (!stack.empty()) {
    const std::string_view frame = stack.substr(0, stack.find('\n'));
    stack.remove_prefix(std::min(stack.size(), frame.size() + 1));
    const auto at = frame.rfind('@');
    if (at == std::string_view::npos) continue;
    std::string_view place = frame.substr(at + 1);
    if (!place.starts_with(url) || place.substr(url.size(), 1) != ":") continue;
    place.remove_prefix(url.size() + 1);
    int line = 0;
    int column = 0;
    const char* end = place.data() + place.size();
    auto [afterLine, lineError] = std::from_chars(place.data(), end, line);
    if (lineError != std::errc() || afterLine == end || *afterLine != ':') continue;
    auto [afterColumn, columnError] = std::from_chars(afterLine + 1, end, column);
    if (columnError == std::errc() && afterColumn == end) return std::pair(line, column);
  }
  return std::nullopt;
}

}  // namespace

WrappedCode::WrappedCode(std::string_view code) : script_(std::string(head).append(code).append(tail)) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < code.size();) {
    const std::size_t terminator = terminatorLength(code, i);
    if (terminator == 0) {
      ++i;
      continue;
    }
    lines_.push_back({start, i});
    i += terminator;
    start = i;
  }
  lines_.push_back({start, code.size()});
}

std::string_view WrappedCode::line(std::size_t index) const {
  const Line& line = lines_[index];
  return std::string_view(script_).substr(head.size() + line.start, line.end - line.start);
}

CodePosition WrappedCode::at(std::size_t index, std::size_t offset) const {
  return {static_cast<int>(index + 1), static_cast<int>(platform::graphemeCount(line(index).substr(0, offset)) + 1)};
}

CodePosition WrappedCode::endOfCode() const { return at(lines_.size() - 1, line(lines_.size() - 1).size()); }

CodePosition WrappedCode::atEngineColumn(int line, int column) const {
  if (static_cast<std::size_t>(line) > lines_.size()) return endOfCode();  // in the wrapper's tail
  const std::size_t index = line - 1;
  const int64_t units = int64_t{column} - 1 - (index == 0 ? static_cast<int64_t>(head.size()) : 0);
  const platform::Utf16Map map(this->line(index));
  const std::size_t offset =
      map.utf8OffsetRoundingDown(std::min(static_cast<std::size_t>(std::max<int64_t>(units, 0)), map.utf16().size()));
  return at(index, startOfNameEndingAt(this->line(index), offset));
}

CodePosition WrappedCode::atSyntaxError(int line, const std::string& message, platform::JSContext& context) const {
  if (static_cast<std::size_t>(line) > lines_.size()) return endOfCode();
  if (script_.size() > longestCodeSearched) return {line, 0};
  const std::size_t index = line - 1;
  const std::string_view text = this->line(index);
  // The ends of the beginnings tried: every character boundary of the line.
  std::vector<std::size_t> ends;
  for (std::size_t i = 0; i < text.size(); i += platform::decodeUtf8(text, i).length) ends.push_back(i);
  ends.push_back(text.size());
  auto failsTheSameWay = [&](std::size_t end) {
    auto error = context.syntaxError(std::string_view(script_).substr(0, head.size() + lines_[index].start + end));
    return error && integer(error->property("line")) == line && isString(error->property("message"), message);
  };
  if (!failsTheSameWay(text.size())) return {line, 0};  // it needs more than this line: no column
  const auto shortest =
      std::partition_point(ends.begin(), ends.end() - 1, [&](std::size_t end) { return !failsTheSameWay(end); });
  const std::size_t end = *shortest;
  if (const auto quoted = startOfQuotedToken(text, end, message)) return at(index, *quoted);
  const std::size_t name = startOfNameEndingAt(text, end);
  if (name < end || end == 0) return at(index, name);
  // Any other token is shown at its last character.
  return at(index, platform::utf8Prefix(text, end - 1).size());
}

std::optional<CodePosition> WrappedCode::positionOf(const platform::JSValue& exception) const {
  if (!exception.isObject()) return std::nullopt;
  if (isString(exception.property("sourceURL"), sourceUrl)) {
    if (const auto line = integer(exception.property("line")); line && *line >= 1) {
      if (const auto column = integer(exception.property("column"))) return atEngineColumn(*line, *column);
      if (const auto message = exception.property("message"); message.isString()) {
        return atSyntaxError(*line, message.toString().value_or(""), exception.context());
      }
    }
  }
  const auto stack = exception.property("stack");
  if (!stack.isString()) return std::nullopt;
  const auto frame = innermostFrameIn(stack.toString().value_or(""), sourceUrl);
  if (!frame || frame->first < 1) return std::nullopt;
  return atEngineColumn(frame->first, frame->second);
}

}  // namespace engine
