#include "platform/text/link_detector.h"

#include <libpsl.h>
#include <unicode/uchar.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>

#include "platform/core/ascii.h"
#include "platform/core/byte_blocks.h"
#include "platform/text/utf8.h"
#include "platform/text/whitespace.h"

namespace platform {
namespace {

// The classes of ASCII characters that links are made of, one bit each, looked up per byte.
enum CharacterClass : uint8_t {
  letter = 1 << 0,
  digit = 1 << 1,
  schemeCharacter = 1 << 2,
  labelCharacter = 1 << 3,
  localPartCharacter = 1 << 4,
  continuesWord = 1 << 5,  // a link cannot begin right after it
};

constexpr std::array<uint8_t, 256> characterClasses = [] {
  std::array<uint8_t, 256> classes{};
  for (int c = 0; c < 128; ++c) {
    const bool isLetter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    const bool isDigit = c >= '0' && c <= '9';
    const bool isAlnum = isLetter || isDigit;
    uint8_t bits = 0;
    if (isLetter) bits |= letter;
    if (isDigit) bits |= digit;
    if (isAlnum || c == '+' || c == '-' || c == '.') bits |= schemeCharacter;
    if (isAlnum || c == '-') bits |= labelCharacter;
    if (isAlnum || c == '.' || c == '_' || c == '%' || c == '+' || c == '-') bits |= localPartCharacter;
    if (isAlnum || c == '+' || c == '.' || c == '-' || c == '@' || c == '%' || c == '/') bits |= continuesWord;
    classes[static_cast<std::size_t>(c)] = bits;
  }
  return classes;
}();

bool hasClass(char c, uint8_t classes) { return (characterClasses[static_cast<unsigned char>(c)] & classes) != 0; }
bool isAsciiAlnum(char c) { return hasClass(c, letter | digit); }
bool isSchemeChar(char c) { return hasClass(c, schemeCharacter); }
bool isLabelChar(char c) { return hasClass(c, labelCharacter); }
bool isLocalPartChar(char c) { return hasClass(c, localPartCharacter); }

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
  return !hasClass(before, continuesWord);
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
  if (hasClass(text[end - 1], letter | digit)) return 0;  // most links end so
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

// Whether each byte of an eight-byte block (read in memory order) is zero, as its high bit; exact up to the
// first zero byte, which is all that is read.
constexpr std::uint64_t zeroBytes(std::uint64_t block) {
  constexpr std::uint64_t ones = 0x0101010101010101u;
  return (block - ones) & ~block & (ones * 0x80);
}

constexpr std::uint64_t everyByte(unsigned char c) { return 0x0101010101010101u * c; }

// The first bracket, "(", ")", "[", "]", "{" or "}", at or after `from` and before `end`; `end` when there is none.
std::size_t nextBracket(std::string_view text, std::size_t from, std::size_t end) {
  std::size_t i = from;
  if constexpr (std::endian::native == std::endian::little) {
    // "[" and "]" with bit 5 set are "{" and "}"; so are "\x08" and "\x09" "(" and ")", but runs hold no controls.
    for (; i + 8 <= end; i += 8) {
      std::uint64_t block;
      std::memcpy(&block, text.data() + i, sizeof block);
      const std::uint64_t folded = block | everyByte(0x20);
      const std::uint64_t found = zeroBytes(folded ^ everyByte('(')) | zeroBytes(folded ^ everyByte(')')) |
                                  zeroBytes(folded ^ everyByte('{')) | zeroBytes(folded ^ everyByte('}'));
      if (found != 0) {
        i += static_cast<std::size_t>(std::countr_zero(found) / 8);
        break;
      }
    }
  }
  for (; i < end; ++i) {
    const char c = text[i];
    if (c == '(' || c == ')' || c == '[' || c == ']' || c == '{' || c == '}') return i;
  }
  return end;
}

// The end of a URL candidate that begins at `start`: the run's end, or an earlier closing bracket that the
// candidate did not open; then trailing punctuation and unpaired closing brackets are left out.
std::size_t urlCandidateEnd(std::string_view text, std::size_t start, std::size_t runEnd) {
  int parens = 0, squares = 0, braces = 0;
  std::size_t end = start;
  for (; end < runEnd; ++end) {
    end = nextBracket(text, end, runEnd);
    if (end == runEnd) break;
    const char c = text[end];
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

// The first position of a character at or after a position in the run, kept from the last search while it
// still lies ahead.
class NextPosition {
 public:
  NextPosition(std::string_view text, std::size_t runEnd, char c) : text_(text.substr(0, runEnd)), c_(c) {}

  bool existsFrom(std::size_t from) {
    if (!searched_ || position_ < from) {
      position_ = std::min(text_.find(c_, from), text_.size());
      searched_ = true;
    }
    return position_ < text_.size();
  }

 private:
  std::string_view text_;
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
      if (email && (!best || email->end > best->end)) best = email;
    }
    if (!endsAsUrl && dot.existsFrom(k)) {
      auto bare = bareDomainAt(text, k, runEnd);
      if (bare && (!best || bare->end > best->end)) best = bare;
    }
    if (!best) {
      ++k;
      continue;
    }
    found(FoundLink{ByteRange::fromBounds(best->start, best->end), best->prefix});
    k = best->end;
  }
}

// The first byte from `from` on that is ":", "@", "." or not ASCII; the size when there is none. Eight bytes at a
// time: prose holds few of them.
std::size_t nextMarkOrNonAscii(std::string_view text, std::size_t from) {
  const auto isMarkOrNonAscii = [](char c) {
    return static_cast<unsigned char>(c) >= 0x80 || c == ':' || c == '@' || c == '.';
  };
  std::size_t i = skipBlocksWithout<AlsoStopAt::nonAscii, ':', '@', '.'>(text, from);
  if (i < text.size() && isMarkOrNonAscii(text[i])) return i;  // most often found in a whole block
  if constexpr (std::endian::native == std::endian::little) {
    for (; i + 8 <= text.size(); i += 8) {
      std::uint64_t block;
      std::memcpy(&block, text.data() + i, sizeof block);
      const std::uint64_t found = (block & everyByte(0x80)) | zeroBytes(block ^ everyByte(':')) |
                                  zeroBytes(block ^ everyByte('@')) | zeroBytes(block ^ everyByte('.'));
      if (found != 0) return i + static_cast<std::size_t>(std::countr_zero(found) / 8);
    }
  }
  while (i < text.size() && !isMarkOrNonAscii(text[i])) ++i;
  return i;
}

// Where a run that may hold a link goes on to: past the bytes, sixteen at a time, of blocks that hold neither an
// ASCII stop of isStopScalar() nor a byte outside ASCII. The scan goes on from there byte by byte.
std::size_t skipToStopOrNonAscii(std::string_view text, std::size_t from) {
  return skipBlocksWithout<AlsoStopAt::controlsSpaceAndNonAscii, '\x7F', '<', '>', '"', '`', '|', '\\', '^'>(text,
                                                                                                             from);
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
  const std::size_t size = text.size();
  const auto kindAt = [&](std::size_t at) { return kinds[static_cast<unsigned char>(text[at])]; };
  std::size_t runStart = 0;
  // Until a run may hold a link, only marks and non-ASCII bytes need a look: the ASCII before them is passed at
  // once, and the ASCII stops passed since `settled` are looked for only when a run turns out to hold a mark.
  std::size_t settled = 0;
  bool mayHoldLink = false;
  std::size_t i = 0;
  while (i < size) {
    if (mayHoldLink) {
      // Marks change nothing in a run that may already hold a link.
      i = skipToStopOrNonAscii(text, i);
      while (i < size && (kindAt(i) == plain || kindAt(i) == linkMark)) ++i;
    } else {
      i = nextMarkOrNonAscii(text, i);
    }
    if (i == size) break;
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const uint8_t kind = kinds[c];
    if (kind == linkMark) {
      // A stop after the "." is never an ASCII letter or digit, so looking past the run's end changes nothing.
      if (!mayHoldLink && (c != '.' || (i + 1 < size && isAsciiAlnum(text[i + 1])))) {
        std::size_t after = i;
        while (after > settled && kindAt(after - 1) != stop) --after;
        if (after > settled) runStart = after;
        mayHoldLink = true;
      }
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
      runStart = settled = i + length;
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
  char lower[64];
  std::transform(label.begin(), label.end(), lower, [](char c) { return asciiLowercased(c); });
  lower[label.size()] = '\0';
  const std::string_view key(lower, label.size());
  // The list is slow to ask and text names the same few domains again and again: answers are kept, a
  // bounded number per thread.
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>()(text); }
  };
  thread_local std::unordered_map<std::string, bool, Hash, std::equal_to<>> answers;
  if (const auto known = answers.find(key); known != answers.end()) return known->second;
  const bool answer = psl_is_public_suffix2(list, lower, PSL_TYPE_ICANN | PSL_TYPE_NO_STAR_RULE) != 0;
  if (answers.size() >= 1024) answers.clear();
  answers.emplace(key, answer);
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
