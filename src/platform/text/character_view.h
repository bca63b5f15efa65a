#pragma once

#include <cstddef>
#include <iterator>
#include <string_view>

#include "platform/text/attributed_string.h"
#include "platform/text/grapheme.h"

namespace platform {

// The characters (extended grapheme clusters) of an attributed string, as a collection that is walked both ways and
// whose characters are removed together with their attributes. A step looks at the characters around it only, and
// keeps what it found for the steps that follow: a walk of a few characters in from either end of a long text costs
// little. Changing the text other than through the view leaves the view's iterators invalid. One thread at a time.
class AttributedString::CharacterView {
 public:
  class Iterator {
   public:
    using value_type = std::string_view;
    using difference_type = std::ptrdiff_t;
    using iterator_concept = std::bidirectional_iterator_tag;

    Iterator() = default;
    std::string_view operator*() const;
    Iterator& operator++();
    Iterator operator++(int);
    Iterator& operator--();
    Iterator operator--(int);
    bool operator==(const Iterator& other) const { return offset_ == other.offset_; }
    // Where the character starts in the text's string().
    std::size_t offset() const { return offset_; }

   private:
    friend class CharacterView;
    Iterator(const CharacterView* view, std::size_t offset) : view_(view), offset_(offset) {}

    const CharacterView* view_ = nullptr;
    std::size_t offset_ = 0;
  };
  using iterator = Iterator;
  using const_iterator = Iterator;

  explicit CharacterView(AttributedString& text) : text_(&text) {}

  Iterator begin() const { return {this, 0}; }
  Iterator end() const { return {this, text_->string().size()}; }
  std::size_t size() const;
  bool empty() const { return text_->empty(); }

  // Removes the characters from `first` up to `last` with their attributes; gives the character that followed them.
  Iterator erase(Iterator first, Iterator last);

 private:
  std::size_t boundaryAfter(std::size_t offset) const;
  std::size_t boundaryBefore(std::size_t offset) const;

  AttributedString* text_;
  mutable CharacterSteps steps_;
};

}  // namespace platform
