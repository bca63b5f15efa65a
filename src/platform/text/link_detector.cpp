#include "platform/text/link_detector.h"

#include <libpsl.h>
#include <unicode/uchar.h>

#include <algorithm>
#include <array>
#include <optional>
#include <string>

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
  int parens = 0, squares = 0, braces = 0;
  std::size_t end = start;
  for (; end < runEnd; ++end) {
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

// "label(.label)+" from `start`; returns the end of the last label that is a top-level domain of two or more
// letters, scanning no further than `limit`.
std::optional<std::size_t> domainEnd(std::string_view text, std::size_t start, std::size_t limit) {
  std::size_t i = start;
  std::size_t labels = 0;
  std::optional<std::size_t> end;
  while (i < limit) {
    const std::size_t labelStart = i;
    while (i < limit && isLabelChar(text[i])) ++i;
    if (i == labelStart || text[labelStart] == '-' || text[i - 1] == '-') break;
    ++labels;
    const auto label = text.substr(labelStart, i - labelStart);
    if (labels >= 2 && label.size() >= 2 && std::all_of(label.begin(), label.end(), isAsciiLetter) &&
        isTopLevelDomain(label)) {
      end = i;
    } else if (labels >= 2) {
      end.reset();
    }
    if (i < limit && text[i] == '.' && i + 1 < limit && isLabelChar(text[i + 1])) {
      ++i;
      continue;
    }
    break;
  }
  if (end && *end != i) return std::nullopt;  // the domain must end with its top-level label
  return end;
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

// Every link holds ":" (a scheme), "@" (an address) or a "." between labels; most words of prose hold none.
bool mayHoldLink(std::string_view text, std::size_t runStart, std::size_t runEnd) {
  for (std::size_t i = runStart; i < runEnd; ++i) {
    const char c = text[i];
    if (c == ':' || c == '@' || (c == '.' && i + 1 < runEnd && isAsciiAlnum(text[i + 1]))) return true;
  }
  return false;
}

struct FoundLink {
  ByteRange range;
  const char* prefix;  // put before the text to make the URL
};

void detectInRun(std::string_view text, std::size_t runStart, std::size_t runEnd, std::vector<FoundLink>& out) {
  if (!mayHoldLink(text, runStart, runEnd)) return;
  std::size_t k = runStart;
  while (k < runEnd) {
    if (!isAsciiAlnum(text[k]) || !isWordStart(text, k, runStart)) {
      ++k;
      continue;
    }
    std::optional<Candidate> best;
    for (auto* finder : {schemeUrlAt, wwwAt, emailAt, bareDomainAt}) {
      auto candidate = finder(text, k, runEnd);
      if (candidate && (!best || candidate->end > best->end)) best = std::move(candidate);
    }
    if (!best) {
      ++k;
      continue;
    }
    out.push_back({ByteRange::fromBounds(best->start, best->end), best->prefix});
    k = best->end;
  }
}

std::vector<FoundLink> findLinks(std::string_view text) {
  static const auto asciiStops = [] {
    std::array<bool, 128> stops{};
    for (char32_t c = 0; c < 128; ++c) stops[c] = isStopScalar(c);
    return stops;
  }();
  std::vector<FoundLink> out;
  std::size_t runStart = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    std::size_t length = 1;
    bool stop;
    if (c < 0x80) {
      stop = asciiStops[c];
    } else {
      const auto decoded = decodeUtf8(text, i);
      length = decoded.length;
      stop = !decoded.valid || isStopScalar(decoded.scalar);
    }
    if (stop) {
      if (i > runStart) detectInRun(text, runStart, i, out);
      runStart = i + length;
    }
    i += length;
  }
  if (text.size() > runStart) detectInRun(text, runStart, text.size(), out);
  return out;
}

}  // namespace

bool isTopLevelDomain(std::string_view label) {
  static const psl_ctx_t* const list = psl_builtin();
  if (label.empty() || label.size() > 63 || !list) return false;
  const std::string lower = asciiLowercased(label);
  return psl_is_public_suffix2(list, lower.c_str(), PSL_TYPE_ICANN | PSL_TYPE_NO_STAR_RULE) != 0;
}

std::vector<LinkMatch> detectLinks(std::string_view text) {
  std::vector<LinkMatch> out;
  for (const auto& found : findLinks(text)) {
    if (auto url = Url::parse(found.prefix + std::string(text.substr(found.range.location, found.range.length)))) {
      out.push_back({found.range, std::move(*url)});
    }
  }
  return out;
}

std::vector<ByteRange> detectLinkRanges(std::string_view text) {
  std::vector<ByteRange> out;
  for (const auto& found : findLinks(text)) out.push_back(found.range);
  return out;
}

}  // namespace platform
