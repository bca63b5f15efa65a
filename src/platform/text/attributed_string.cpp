#include "platform/text/attributed_string.h"

#include <algorithm>

namespace platform {

namespace {
const TextAttributes& noAttributes() {
  static const TextAttributes none;
  return none;
}
size_t beginOf(const ByteRange& r) { return r.location; }
size_t endOf(const ByteRange& r) { return r.end(); }
}  // namespace

AttributedString::AttributedString(std::string text, TextAttributes attributes) : text_(std::move(text)) {
  if (!text_.empty()) spans_.push_back({0, std::move(attributes)});
}

size_t AttributedString::spanEnd(size_t index) const {
  return index + 1 < spans_.size() ? spans_[index + 1].start : text_.size();
}

size_t AttributedString::spanIndexAt(size_t offset) const {
  auto it = std::upper_bound(spans_.begin(), spans_.end(), offset,
                             [](size_t value, const Span& span) { return value < span.start; });
  return static_cast<size_t>(it - spans_.begin()) - 1;
}

size_t AttributedString::splitAt(size_t offset) {
  size_t index = spanIndexAt(offset);
  if (spans_[index].start == offset) return index;
  spans_.insert(spans_.begin() + static_cast<std::ptrdiff_t>(index) + 1, Span{offset, spans_[index].attributes});
  return index + 1;
}

void AttributedString::mergeAround(size_t first, size_t last) {
  // Merges equal neighbours among spans [first - 1, last + 1].
  size_t from = first == 0 ? 0 : first - 1;
  size_t to = std::min(last + 1, spans_.size() - 1);
  for (size_t i = to; i > from; --i) {
    if (i < spans_.size() && spans_[i].attributes == spans_[i - 1].attributes) {
      spans_.erase(spans_.begin() + static_cast<std::ptrdiff_t>(i));
    }
  }
}

std::vector<AttributedString::Run> AttributedString::runs() const {
  std::vector<Run> result;
  result.reserve(spans_.size());
  for (size_t i = 0; i < spans_.size(); ++i) {
    result.push_back(Run{ByteRange::fromBounds(spans_[i].start, spanEnd(i)), spans_[i].attributes});
  }
  return result;
}

const TextAttributes& AttributedString::attributesAt(size_t offset) const {
  if (offset >= text_.size()) return noAttributes();
  return spans_[spanIndexAt(offset)].attributes;
}

void AttributedString::append(std::string_view text, const TextAttributes& attributes) {
  if (text.empty()) return;
  if (spans_.empty() || !(spans_.back().attributes == attributes)) spans_.push_back({text_.size(), attributes});
  text_.append(text);
}

void AttributedString::append(const AttributedString& other) {
  for (const Run& run : other.runs()) {
    append(std::string_view(other.text_).substr(run.range.location, run.range.length), run.attributes);
  }
}

void AttributedString::setAttributes(ByteRange range, TextAttributes attributes) {
  size_t begin = std::min(beginOf(range), text_.size());
  size_t end = std::min(endOf(range), text_.size());
  if (begin >= end) return;
  size_t first = splitAt(begin);
  size_t last = end < text_.size() ? splitAt(end) : spans_.size();
  spans_.erase(spans_.begin() + static_cast<std::ptrdiff_t>(first), spans_.begin() + static_cast<std::ptrdiff_t>(last));
  spans_.insert(spans_.begin() + static_cast<std::ptrdiff_t>(first), Span{begin, std::move(attributes)});
  mergeAround(first, first);
}

void AttributedString::setLink(ByteRange range, std::optional<Url> link) {
  size_t begin = std::min(beginOf(range), text_.size());
  size_t end = std::min(endOf(range), text_.size());
  if (begin >= end) return;
  size_t first = splitAt(begin);
  size_t last = end < text_.size() ? splitAt(end) : spans_.size();
  for (size_t i = first; i < last; ++i) spans_[i].attributes.link = link;
  mergeAround(first, last - 1);
}

void AttributedString::replace(ByteRange range, std::string_view text) {
  size_t begin = std::min(beginOf(range), text_.size());
  size_t end = std::clamp(endOf(range), begin, text_.size());
  TextAttributes attributes;
  if (begin < end) {
    attributes = attributesAt(begin);
  } else if (begin > 0) {
    attributes = attributesAt(begin - 1);
  } else {
    attributes = attributesAt(0);
  }
  std::vector<Span> spans;
  spans.reserve(spans_.size() + 2);
  for (size_t i = 0; i < spans_.size() && spans_[i].start < begin; ++i) spans.push_back(spans_[i]);
  spans.push_back({begin, attributes});
  for (size_t i = 0; i < spans_.size(); ++i) {
    size_t spanFinish = spanEnd(i);
    if (spanFinish <= end) continue;
    spans.push_back({std::max(spans_[i].start, end) - end + begin + text.size(), spans_[i].attributes});
  }
  text_.replace(begin, end - begin, text);
  // Drop empty spans and merge equal neighbours.
  spans_.clear();
  for (size_t i = 0; i < spans.size(); ++i) {
    size_t next = i + 1 < spans.size() ? spans[i + 1].start : text_.size();
    if (spans[i].start >= next || spans[i].start >= text_.size()) continue;
    if (!spans_.empty() && spans_.back().attributes == spans[i].attributes) continue;
    spans_.push_back(std::move(spans[i]));
  }
}

AttributedString AttributedString::linksOnly() const {
  AttributedString result;
  for (const Run& run : runs()) {
    TextAttributes attributes;
    attributes.link = run.attributes.link;
    result.append(std::string_view(text_).substr(run.range.location, run.range.length), attributes);
  }
  return result;
}

bool AttributedString::containsLink() const {
  return std::any_of(spans_.begin(), spans_.end(), [](const Span& s) { return s.attributes.link.has_value(); });
}

bool AttributedString::containsFontAttribute() const {
  return std::any_of(spans_.begin(), spans_.end(), [](const Span& s) { return s.attributes.font.has_value(); });
}

bool AttributedString::operator==(const AttributedString& other) const {
  if (text_ != other.text_ || spans_.size() != other.spans_.size()) return false;
  for (size_t i = 0; i < spans_.size(); ++i) {
    if (spans_[i].start != other.spans_[i].start || !(spans_[i].attributes == other.spans_[i].attributes)) return false;
  }
  return true;
}

}  // namespace platform
