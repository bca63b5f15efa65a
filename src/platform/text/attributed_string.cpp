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

void AttributedString::setLink(ByteRange range, const std::optional<Url>& link) {
  size_t begin = std::min(beginOf(range), text_.size());
  size_t end = std::min(endOf(range), text_.size());
  if (begin >= end) return;
  size_t first = splitAt(begin);
  size_t last = end < text_.size() ? splitAt(end) : spans_.size();
  for (size_t i = first; i < last; ++i) spans_[i].attributes.link = link;
  mergeAround(first, last - 1);
}

void AttributedString::transformLinks(const std::function<Url(const Url&)>& transform) {
  std::vector<Span> transformed;
  transformed.reserve(spans_.size());
  for (Span& span : spans_) {
    if (span.attributes.link) span.attributes.link = transform(*span.attributes.link);
    // Neighbours that now link to the same URL become one run; runs without links stay as they were.
    if (span.attributes.link && !transformed.empty() && transformed.back().attributes == span.attributes) continue;
    transformed.push_back(std::move(span));
  }
  spans_ = std::move(transformed);
}

void AttributedString::appendRange(const AttributedString& source, size_t begin, size_t end) {
  if (begin >= end) return;
  for (size_t i = source.spanIndexAt(begin); i < source.spans_.size() && source.spans_[i].start < end; ++i) {
    size_t from = std::max(begin, source.spans_[i].start);
    size_t to = std::min(end, source.spanEnd(i));
    append(std::string_view(source.text_).substr(from, to - from), source.spans_[i].attributes);
  }
}

void AttributedString::replace(ByteRange range, std::string_view text) {
  replace(std::vector<Replacement>{{range, std::string(text)}});
}

void AttributedString::replace(std::vector<Replacement> replacements) {
  std::sort(replacements.begin(), replacements.end(),
            [](const Replacement& a, const Replacement& b) { return a.range.location < b.range.location; });
  AttributedString result;
  result.text_.reserve(text_.size());
  size_t copied = 0;
  for (const Replacement& replacement : replacements) {
    size_t begin = std::clamp(beginOf(replacement.range), copied, text_.size());
    size_t end = std::clamp(endOf(replacement.range), begin, text_.size());
    const TextAttributes& attributes =
        begin < end ? attributesAt(begin) : (begin > 0 ? attributesAt(begin - 1) : attributesAt(0));
    result.appendRange(*this, copied, begin);
    result.append(replacement.text, attributes);
    copied = end;
  }
  result.appendRange(*this, copied, text_.size());
  *this = std::move(result);
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
