#include "platform/text/character_view.h"

#include <algorithm>

#include "platform/text/grapheme.h"

namespace platform {

namespace {

// How far a step looks to either side when the boundaries it kept do not reach.
constexpr std::size_t stepReach = 256;

}  // namespace

AttributedString::CharacterView AttributedString::characters() { return CharacterView(*this); }

std::string_view AttributedString::CharacterView::Iterator::operator*() const {
  const std::string_view text = view_->text_->string();
  return text.substr(offset_, view_->boundaryAfter(offset_) - offset_);
}

AttributedString::CharacterView::Iterator& AttributedString::CharacterView::Iterator::operator++() {
  offset_ = view_->boundaryAfter(offset_);
  return *this;
}

AttributedString::CharacterView::Iterator AttributedString::CharacterView::Iterator::operator++(int) {
  Iterator before = *this;
  ++*this;
  return before;
}

AttributedString::CharacterView::Iterator& AttributedString::CharacterView::Iterator::operator--() {
  offset_ = view_->boundaryBefore(offset_);
  return *this;
}

AttributedString::CharacterView::Iterator AttributedString::CharacterView::Iterator::operator--(int) {
  Iterator before = *this;
  --*this;
  return before;
}

std::size_t AttributedString::CharacterView::size() const { return graphemeCount(text_->string()); }

AttributedString::CharacterView::Iterator AttributedString::CharacterView::erase(Iterator first, Iterator last) {
  text_->replace(ByteRange::fromBounds(first.offset_, last.offset_), "");
  boundaries_.clear();
  return {this, first.offset_};
}

std::size_t AttributedString::CharacterView::boundaryAfter(std::size_t offset) const {
  const std::string_view text = text_->string();
  if (offset >= text.size()) return text.size();
  if (boundaries_.empty() || offset < boundaries_.front() || offset >= boundaries_.back()) {
    boundaries_ = graphemeBoundariesAround(text, offset, stepReach);
  }
  return *std::upper_bound(boundaries_.begin(), boundaries_.end(), offset);
}

std::size_t AttributedString::CharacterView::boundaryBefore(std::size_t offset) const {
  if (offset == 0) return 0;
  if (boundaries_.empty() || offset <= boundaries_.front() || offset > boundaries_.back()) {
    boundaries_ = graphemeBoundariesAround(text_->string(), offset, stepReach);
  }
  return *std::prev(std::lower_bound(boundaries_.begin(), boundaries_.end(), offset));
}

}  // namespace platform
