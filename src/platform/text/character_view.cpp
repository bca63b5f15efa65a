#include "platform/text/character_view.h"

#include "platform/text/grapheme.h"

namespace platform {

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
  steps_.forget();
  return {this, first.offset_};
}

std::size_t AttributedString::CharacterView::boundaryAfter(std::size_t offset) const {
  return steps_.boundaryAfter(text_->string(), offset);
}

std::size_t AttributedString::CharacterView::boundaryBefore(std::size_t offset) const {
  return steps_.boundaryBefore(text_->string(), offset);
}

}  // namespace platform
