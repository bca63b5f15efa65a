#include "platform/text/link_detector.h"

#include <libpsl.h>
#include <unicode/uchar.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>

#include "platform/text/ascii.h"
#include "platform/text/utf8.h"
#include "platform/text/whitespace.h"

namespace platform {
namespace {

bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isAsciiDigit(char c) { return c >= '0' && c <= '9'; }
bool isAsciiAlnum(char c) { return isAsciiLetter(c) || isAsciiDigit(c); }
bool isSchemeChar(char c) { return isAsciiAlnum(c) || c == '+' || c == '-' || c == '.'; }
bool isLabelChar(char c) { return isAsciiAlnum(c) || c == '-'; }
bool isLocalPartChar(char c) { return isAsciiAlnum(c) || c == '.' || c == '_' || c == '%' || c == '+' || c == '-'; }

// Where a link may begin: not inside a word, a host or an address.
bool isWordStart(std::string_view text, std::size_t i, std::size_t runStart) {
  if (i == runStart) return true;
  const char before = text[i - 1];
  if (static_cast<unsigned char>(before) >= 0x80) {
    // A letter or digit of any script continues a word; punctuation such as a typographic quote does not.
    std::size_t start = i - 1;
    while (start > runStart && i - start < 4 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80) --start;
    const auto decoded = decodeUtf8(text, start);
    return !(decoded.valid && u_isalnum(static_cast<UChar32>(decoded.scalar)));
  }
  return !(isAsciiAlnum(before) || before == '+' || before == '.' || before == '-' || before == '@' || before == '%' ||
           before == '/');
}

// A scalar that ends every candidate.
bool isStopScalar(char32_t c) {
  if (c < 0x21 || c == 0x7F || (c >= 0x80 && c <= 0xA0) || isWhitespaceScalar(c)) return true;
  switch (c) {
    case '<':
    case '>':
    case '"':
    case '`':
    case '|':
    case '\\':
    case '^':
    case 0x00AB:
    case 0x00BB:
    case 0x201C:
    case 0x201D:
    case 0x201E:
    case 0x2039:
    case 0x203A:
    case 0x200B:  // zero width space
    case 0xFEFF:
    case 0xFFFD:
      return true;
    default:
      break;
  }
  if (c >= 0x3000 && c <= 0x303F) return true;  // CJK spaces and punctuation
  if (c >= 0xFF01 && c <= 0xFF0F) return true;  // fullwidth punctuation
  if (c >= 0xFF1A && c <= 0xFF20) return true;
  return false;
}

// Trailing characters that end sentences or quotes rather than URLs.
std::size_t trailingPunctuationLength(std::string_view text, std::size_t end, std::size_t start) {
  static constexpr std::string_view multiByte[] = {"\u2019", "\u201D", "\u00BB", "\u2026"};
  for (const auto& tail : multiByte) {
    if (end - start >= tail.size() && text.substr(end - tail.size(), tail.size()) == tail) return tail.size();
  }
  switch (text[end - 1]) {
    case '.':
    case ',':
    case ':':
    case ';':
    case '!':
    case '?':
    case '\'':
    case '"':
    case '*':
      return 1;
    default:
      return 0;
  }
}

// The end of a URL candidate that begins at `start`: the run's end, or an earlier closing bracket that the
// candidate did not open; then trailing punctuation and unpaired closing brackets are left out.
std::size_t urlCandidateEnd(std::string_view text, std::size_t start, std::size_t runEnd) {
  static constexpr auto brackets = [] {
    std::array<bool, 256> made{};
    for (unsigned char c : std::string_view("()[]{}")) made[c] = true;
    return made;
  }();
  int parens = 0, squares = 0, braces = 0;
  std::size_t end = start;
  for (; end < runEnd; ++end) {
    const char c = text[end];
    if (!brackets[static_cast<unsigned char>(c)]) continue;
    if (c == '(')
      ++parens;
    else if (c == '[')
      ++squares;
    else if (c == '{')
      ++braces;
    else if (c == ')' && --parens < 0)
      break;
    else if (c == ']' && --squares < 0)
      break;
    else if (c == '}' && --braces < 0)
      break;
  }
  while (end > start) {
    if (const auto length = trailingPunctuationLength(text, end, start)) {
      end -= length;
      continue;
    }
    const char last = text[end - 1];
    const char open = last == ')' ? '(' : last == ']' ? '[' : last == '}' ? '{' : 0;
    if (open != 0) {
      const auto candidate = text.substr(start, end - start);
      if (std::count(candidate.begin(), candidate.end(), last) > std::count(candidate.begin(), candidate.end(), open)) {
        --end;
        continue;
      }
    }
    break;
  }
  return end;
}

// "label(.label)+" from `start`, scanning no further than `limit`; its end when the last label is a top-level
// domain of two or more letters and no malformed label follows.
std::optional<std::size_t> domainEnd(std::string_view text, std::size_t start, std::size_t limit) {
  std::size_t i = start;
  std::size_t labels = 0;
  std::string_view last;
  while (i < limit) {
    const std::size_t labelStart = i;
    while (i < limit && isLabelChar(text[i])) ++i;
    if (i == labelStart) break;
    if (text[labelStart] == '-' || text[i - 1] == '-') return std::nullopt;
    ++labels;
    last = text.substr(labelStart, i - labelStart);
    if (i < limit && text[i] == '.' && i + 1 < limit && isLabelChar(text[i + 1])) {
      ++i;
      continue;
    }
    break;
  }
  if (labels < 2 || last.size() < 2 || !std::all_of(last.begin(), last.end(), isAsciiLetter) ||
      !isTopLevelDomain(last)) {
    return std::nullopt;
  }
  return i;
}

struct Candidate {
  std::size_t start;
  std::size_t end;
  const char* prefix;  // put before the text to make the URL
};

std::optional<Candidate> emailAt(std::string_view text, std::size_t k, std::size_t runEnd) {
  if (k >= runEnd || (!isAsciiAlnum(text[k]) && text[k] != '_')) return std::nullopt;
  std::size_t at = k;
  while (at < runEnd && isLocalPartChar(text[at])) ++at;
  if (at >= runEnd || text[at] != '@' || text[at - 1] == '.') return std::nullopt;
  const auto end = domainEnd(text, at + 1, runEnd);
  if (!end) return std::nullopt;
  return Candidate{k, *end, "mailto:"};
}

std::optional<Candidate> schemeUrlAt(std::string_view text, std::size_t k, std::size_t runEnd) {
  if (!isAsciiLetter(text[k])) return std::nullopt;
  std::size_t colon = k;
  while (colon < runEnd && isSchemeChar(text[colon])) ++colon;
  if (colon >= runEnd || text[colon] != ':') return std::nullopt;
  if (equalsIgnoringAsciiCase(text.substr(k, colon - k), "mailto")) {
    auto address = emailAt(text, colon + 1, runEnd);
    if (!address) return std::nullopt;
    return Candidate{k, address->end, ""};
  }
  if (!text.substr(colon).starts_with("://")) return std::nullopt;
  const std::size_t end = urlCandidateEnd(text, k, runEnd);
  if (end <= colon + 3) return std::nullopt;
  return Candidate{k, end, ""};
}

std::optional<Candidate> wwwAt(std::string_view text, std::size_t k, std::size_t runEnd) {
  if (runEnd - k < 5) return std::nullopt;
  for (std::size_t i = 0; i < 3; ++i) {
    if (text[k + i] != 'w' && text[k + i] != 'W') return std::nullopt;
  }
  if (text[k + 3] != '.' || !isLabelChar(text[k + 4])) return std::nullopt;
  const std::size_t end = urlCandidateEnd(text, k, runEnd);
  std::size_t hostEnd = k + 4;
  while (hostEnd < end && (isLabelChar(text[hostEnd]) || text[hostEnd] == '.')) ++hostEnd;
  const auto host = text.substr(k + 4, hostEnd - k - 4);
  if (host.find('.') == std::string_view::npos || host.back() == '.') return std::nullopt;
  return Candidate{k, end, "http://"};
}

std::optional<Candidate> bareDomainAt(std::string_view text, std::size_t k, std::size_t runEnd) {
  if (!isAsciiAlnum(text[k])) return std::nullopt;
  const auto hostEnd = domainEnd(text, k, runEnd);
  if (!hostEnd || *hostEnd >= runEnd || (text[*hostEnd] != '/' && text[*hostEnd] != '?')) return std::nullopt;
  const std::size_t end = urlCandidateEnd(text, k, runEnd);
  if (end <= *hostEnd) return std::nullopt;
  return Candidate{k, end, "http://"};
}

struct FoundLink {
  ByteRange range;
  const char* prefix;  // put before the text to make the URL
};

// The first position of `c` at or after `from` in the run, kept from the last search while it still lies ahead.
class NextPosition {
 public:
  NextPosition(std::string_view text, std::size_t runEnd, char c) : text_(text), runEnd_(runEnd), c_(c) {}

  bool existsFrom(std::size_t from) {
    if (!searched_ || position_ < from) {
      const auto found = text_.substr(0, runEnd_).find(c_, from);
      position_ = found == std::string_view::npos ? runEnd_ : found;
      searched_ = true;
    }
    return position_ < runEnd_;
  }

 private:
  std::string_view text_;
  std::size_t runEnd_;
  char c_;
  std::size_t position_ = 0;
  bool searched_ = false;
};

// The links of a run of text between stops that holds a ":", an "@" or a "." between labels.
template <class Found>
void detectInRun(std::string_view text, std::size_t runStart, std::size_t runEnd, Found& found) {
  // Each kind of link needs its own character somewhere after its start.
  NextPosition colon(text, runEnd, ':');
  NextPosition at(text, runEnd, '@');
  NextPosition dot(text, runEnd, '.');
  std::size_t k = runStart;
  while (k < runEnd) {
    if (!isAsciiAlnum(text[k]) || !isWordStart(text, k, runStart)) {
      ++k;
      continue;
    }
    // The longest candidate wins, the first found of equal ones. URLs with a scheme, "www." hosts and bare
    // domains all end where the URL that starts here would end, so the later of them cannot be longer.
    std::optional<Candidate> best;
    if (colon.existsFrom(k)) best = schemeUrlAt(text, k, runEnd);
    if (!best && dot.existsFrom(k)) best = wwwAt(text, k, runEnd);
    const bool endsAsUrl = best.has_value();
    if (at.existsFrom(k)) {
      auto email = emailAt(text, k, runEnd);
      if (email && (!best || email->end > best->end)) best = std::move(email);
    }
    if (!endsAsUrl && dot.existsFrom(k)) {
      auto bare = bareDomainAt(text, k, runEnd);
      if (bare && (!best || bare->end > best->end)) best = std::move(bare);
    }
    if (!best) {
      ++k;
      continue;
    }
    found(FoundLink{ByteRange::fromBounds(best->start, best->end), best->prefix});
    k = best->end;
  }
}

// Calls `found` with each link, left to right.
template <class Found>
void findLinks(std::string_view text, Found&& found) {
  // What each byte means for the scan: most are letters and digits that need no look.
  enum : uint8_t { plain, stop, nonAscii, linkMark };
  static const auto kinds = [] {
    std::array<uint8_t, 256> made{};
    for (char32_t c = 0; c < 128; ++c) made[c] = isStopScalar(c) ? stop : plain;
    for (std::size_t c = 128; c < 256; ++c) made[c] = nonAscii;
    // Every link holds ":" (a scheme), "@" (an address) or a "." between labels; most words of prose hold none.
    made[':'] = made['@'] = made['.'] = linkMark;
    return made;
  }();
  std::size_t runStart = 0;
  bool mayHoldLink = false;
  const std::size_t size = text.size();
  std::size_t i = 0;
  while (i < size) {
    while (i < size && kinds[static_cast<unsigned char>(text[i])] == plain) ++i;
    if (i == size) break;
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const uint8_t kind = kinds[c];
    if (kind == linkMark) {
      // A stop after the "." is never an ASCII letter or digit, so looking past the run's end changes nothing.
      if (c != '.' || (i + 1 < text.size() && isAsciiAlnum(text[i + 1]))) mayHoldLink = true;
      ++i;
      continue;
    }
    std::size_t length = 1;
    bool isStop = kind == stop;
    if (kind == nonAscii) {
      const auto decoded = decodeUtf8(text, i);
      length = decoded.length;
      isStop = !decoded.valid || isStopScalar(decoded.scalar);
    }
    if (isStop) {
      if (i > runStart && mayHoldLink) detectInRun(text, runStart, i, found);
      runStart = i + length;
      mayHoldLink = false;
    }
    i += length;
  }
  if (text.size() > runStart && mayHoldLink) detectInRun(text, runStart, text.size(), found);
}

}  // namespace

bool isTopLevelDomain(std::string_view label) {
  static const psl_ctx_t* const list = psl_builtin();
  if (label.empty() || label.size() > 63 || !list) return false;
  std::string lower = asciiLowercased(label);
  // The list is slow to ask and text names the same few domains again and again: answers are kept, a
  // bounded number per thread.
  thread_local std::unordered_map<std::string, bool> answers;
  if (const auto known = answers.find(lower); known != answers.end()) return known->second;
  const bool answer = psl_is_public_suffix2(list, lower.c_str(), PSL_TYPE_ICANN | PSL_TYPE_NO_STAR_RULE) != 0;
  if (answers.size() >= 1024) answers.clear();
  answers.emplace(std::move(lower), answer);
  return answer;
}

std::vector<LinkMatch> detectLinks(std::string_view text) {
  std::vector<LinkMatch> out;
  std::string withPrefix;
  findLinks(text, [&](const FoundLink& found) {
    const std::string_view written = text.substr(found.range.location, found.range.length);
    std::string_view address = written;
    if (*found.prefix != '\0') {
      withPrefix.assign(found.prefix).append(written);
      address = withPrefix;
    }
    if (auto url = Url::parse(address)) out.push_back({found.range, std::move(*url)});
  });
  return out;
}

std::vector<ByteRange> detectLinkRanges(std::string_view text) {
  std::vector<ByteRange> out;
  findLinks(text, [&](const FoundLink& found) { out.push_back(found.range); });
  return out;
}

}  // namespace platform
