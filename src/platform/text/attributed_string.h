#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text/byte_range.h"
#include "platform/url/url.h"

namespace platform {

// A font as the kit's font helpers describe it. Readers never set it and writers never write it.
struct FontSpec {
  std::string family;
  double pointSize = 0;
  int weight = 400;  // 100 (thin) to 900 (black): 400 regular, 700 bold
  bool operator==(const FontSpec&) const = default;
};

struct TextAttributes {
  std::optional<Url> link;
  std::optional<FontSpec> font;
  bool operator==(const TextAttributes&) const = default;
};

// UTF-8 characters with attribute runs. Ranges are byte offsets into string().
class AttributedString {
 public:
  struct Run {
    ByteRange range;
    const TextAttributes& attributes;
  };
  // The characters as a collection (platform/text/character_view.h).
  class CharacterView;

  AttributedString() = default;
  explicit AttributedString(std::string text, TextAttributes attributes = {});

  const std::string& string() const { return text_; }
  bool empty() const { return text_.empty(); }
  CharacterView characters();

  // Runs in order, adjacent runs with equal attributes merged. Empty text has no runs.
  std::vector<Run> runs() const;
  const TextAttributes& attributesAt(size_t offset) const;

  void append(std::string_view text, const TextAttributes& attributes = {});
  void append(const AttributedString& other);
  void setAttributes(ByteRange range, TextAttributes attributes);
  void setLink(ByteRange range, const std::optional<Url>& link);
  // Room for `count` more runs, for a caller about to split the text that often.
  void reserveRuns(size_t count) { spans_.reserve(spans_.size() + count); }
  // Gives every link the URL that `transform` makes of it, in one pass: as setLink over each link's run.
  void transformLinks(const std::function<Url(const Url&)>& transform);
  // The new characters take the attributes of the first replaced character; an insertion (empty range)
  // takes those of the character before it, else of the one after it.
  void replace(ByteRange range, std::string_view text);
  // Several replacements at once, as if applied from the last to the first; ranges must not overlap.
  // Linear in the length of the text, however many there are.
  struct Replacement {
    ByteRange range;
    std::string text;
  };
  void replace(std::vector<Replacement> replacements);

  AttributedString linksOnly() const;
  bool containsLink() const;
  bool containsFontAttribute() const;

  bool operator==(const AttributedString& other) const;

 private:
  struct Span {
    size_t start;
    TextAttributes attributes;
  };
  size_t spanEnd(size_t index) const;
  size_t spanIndexAt(size_t offset) const;
  size_t splitAt(size_t offset);  // makes a span start at offset (< size); returns its index
  void mergeAround(size_t first, size_t last);
  void appendRange(const AttributedString& source, size_t begin, size_t end);

  std::string text_;
  std::vector<Span> spans_;  // sorted, the first starts at 0, together they cover the text
};

}  // namespace platform
