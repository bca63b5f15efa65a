#include "platform/text/grapheme.h"

#include <unicode/brkiter.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <memory>

#include "platform/text/utf16_map.h"
#include "platform/text/utf8.h"

namespace platform {
namespace {

// Plain ASCII without CR LF has one character per byte, which spares ICU for most text.
bool isTrivial(std::string_view text) { return isSingleByteCharacters(text); }
}  // namespace

bool isSingleByteCharacters(std::string_view text) {
  char previous = 0;
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80 || (previous == '\r' && c == '\n')) return false;
    previous = c;
  }
  return true;
}

namespace {

icu::BreakIterator& characterIterator() {
  thread_local std::unique_ptr<icu::BreakIterator> iterator = [] {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> made(
        icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    return made;
  }();
  return *iterator;
}

// Calls `visit` with each boundary (a byte offset) in increasing order, 0 and the size included;
// stops early when `visit` returns false.
template <class Visit>
void forEachBoundary(std::string_view text, Visit&& visit) {
  if (isTrivial(text)) {
    for (std::size_t i = 0; i <= text.size(); ++i) {
      if (!visit(i)) return;
    }
    return;
  }
  const Utf16Map map(text);
  const icu::UnicodeString string(false, map.utf16().data(), static_cast<int32_t>(map.utf16().size()));
  auto& iterator = characterIterator();
  iterator.setText(string);
  for (int32_t b = iterator.first(); b != icu::BreakIterator::DONE; b = iterator.next()) {
    const auto offset = map.utf8Offset(static_cast<std::size_t>(b));
    if (offset && !visit(*offset)) break;
  }
  iterator.setText(icu::UnicodeString());
}

}  // namespace

std::vector<std::size_t> graphemeBoundaries(std::string_view text) {
  std::vector<std::size_t> boundaries;
  forEachBoundary(text, [&](std::size_t offset) {
    boundaries.push_back(offset);
    return true;
  });
  return boundaries;
}

std::vector<std::string_view> graphemes(std::string_view text) {
  std::vector<std::string_view> out;
  std::size_t previous = 0;
  forEachBoundary(text, [&](std::size_t offset) {
    if (offset > previous) out.push_back(text.substr(previous, offset - previous));
    previous = offset;
    return true;
  });
  return out;
}

std::size_t graphemeCount(std::string_view text, std::optional<std::size_t> limit) {
  if (limit && isTrivial(text)) return std::min(text.size(), *limit);
  std::size_t count = 0;
  forEachBoundary(text, [&](std::size_t offset) {
    if (offset > 0) ++count;
    return !(limit && count >= *limit);
  });
  return count;
}

namespace {

// Two ASCII bytes in a row (other than CR LF) always have a character boundary between them, so the
// characters around a range can be found in a small window of the text instead of the whole of it.
bool isAsciiPairBoundary(std::string_view text, std::size_t offset) {
  const auto before = static_cast<unsigned char>(text[offset - 1]);
  const auto after = static_cast<unsigned char>(text[offset]);
  return before < 0x80 && after < 0x80 && !(before == '\r' && after == '\n');
}

std::size_t windowStart(std::string_view text, std::size_t offset) {
  while (offset > 0 && offset < text.size() && !isAsciiPairBoundary(text, offset)) --offset;
  return std::min(offset, text.size());
}

std::size_t windowEnd(std::string_view text, std::size_t offset) {
  while (offset > 0 && offset < text.size() && !isAsciiPairBoundary(text, offset)) ++offset;
  return offset;
}

}  // namespace

ByteRange rangeOfComposedCharacterSequences(std::string_view text, ByteRange range) {
  const std::size_t wantedEnd = std::min(range.end(), text.size());
  const std::size_t wantedStart = std::min(range.location, wantedEnd);
  const std::size_t from = windowStart(text, wantedStart);
  const std::size_t to = windowEnd(text, wantedEnd);
  const std::string_view window = text.substr(from, to - from);
  std::size_t start = 0;
  std::size_t end = window.size();
  forEachBoundary(window, [&](std::size_t offset) {
    if (offset <= wantedStart - from) start = offset;
    if (offset >= wantedEnd - from) {
      end = offset;
      return false;
    }
    return true;
  });
  return ByteRange::fromBounds(from + start, from + std::max(start, end));
}

std::vector<std::size_t> graphemeBoundariesAround(std::string_view text, std::size_t offset, std::size_t reach) {
  // Windows that start and end on boundaries of the whole text have its boundaries.
  offset = std::min(offset, text.size());
  const std::size_t from = windowStart(text, offset > reach ? offset - reach : 0);
  const std::size_t to = windowEnd(text, std::min(text.size() - offset, reach) + offset);
  std::vector<std::size_t> boundaries;
  forEachBoundary(text.substr(from, to - from), [&](std::size_t boundary) {
    boundaries.push_back(from + boundary);
    return true;
  });
  return boundaries;
}

namespace {

// How far a step looks to either side when the boundaries it kept do not reach.
constexpr std::size_t stepReach = 256;

}  // namespace

std::size_t CharacterSteps::boundaryAfter(std::string_view text, std::size_t offset) {
  if (offset >= text.size()) return text.size();
  if (boundaries_.empty() || offset < boundaries_.front() || offset >= boundaries_.back()) {
    boundaries_ = graphemeBoundariesAround(text, offset, stepReach);
  }
  return *std::upper_bound(boundaries_.begin(), boundaries_.end(), offset);
}

std::size_t CharacterSteps::boundaryBefore(std::string_view text, std::size_t offset) {
  if (offset == 0) return 0;
  if (boundaries_.empty() || offset <= boundaries_.front() || offset > boundaries_.back()) {
    boundaries_ = graphemeBoundariesAround(text, offset, stepReach);
  }
  return *std::prev(std::lower_bound(boundaries_.begin(), boundaries_.end(), offset));
}

std::string_view TextCharacters::Iterator::operator*() const {
  return view_->text_.substr(offset_, view_->steps_.boundaryAfter(view_->text_, offset_) - offset_);
}

TextCharacters::Iterator& TextCharacters::Iterator::operator++() {
  offset_ = view_->steps_.boundaryAfter(view_->text_, offset_);
  return *this;
}

bool hasCharacterPrefix(std::string_view text, std::string_view prefix) {
  if (!text.starts_with(prefix)) return false;
  if (prefix.size() == text.size() || prefix.empty()) return true;
  // The bytes agree; the prefix is a prefix by characters only if it ends on a boundary of the text.
  return rangeOfComposedCharacterSequences(text, {prefix.size(), 0}).location == prefix.size();
}

}  // namespace platform
