#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/prefs/plist_value.h"

namespace platform {

// Reads a property list, XML or binary, whose root is a dictionary. Any other input, including a root of another
// kind, nesting deeper than the store ever writes, or more than the 64 MiB a preferences file is read with (in a
// binary list, each object it refers to many times counted at every copy), gives no value.
std::optional<PlistDict> parsePropertyListDictionary(std::string_view bytes);

// The Boolean of a property list (XML or binary) whose root is one; none for anything else, including input that is
// no property list. Binary lists are read only as far as their root object.
std::optional<bool> parsePropertyListBoolean(std::string_view bytes);

// Writes a dictionary as an XML property list; empty when it cannot be written (see PropertyListDocument).
std::string xmlPropertyList(const PlistDict& dict);

// The same in two steps, for large dictionaries: the constructor copies the dictionary (cheap, under the
// caller's lock); `xml()` renders the text once, freeing the copy, and keeps it without another copy.
// A dictionary that the text would not give back as it is, to us or to any other reader, gets no text: a key or a
// text with a character XML has no way to write (a NUL or another control character but tab, line feed and carriage
// return, U+FFFE, U+FFFF, bytes that are no UTF-8), or a text larger than a preferences file is read with. `problem()`
// then says why, naming the dictionary's key whose value is the cause.
class PropertyListDocument {
 public:
  explicit PropertyListDocument(const PlistDict& dict);
  ~PropertyListDocument();
  PropertyListDocument(const PropertyListDocument&) = delete;
  PropertyListDocument& operator=(const PropertyListDocument&) = delete;

  std::optional<std::string_view> xml();
  const std::string& problem() const { return problem_; }

 private:
  void* tree_ = nullptr;
  char* xml_ = nullptr;
  uint32_t length_ = 0;
  std::string problem_;
  std::string largestKey_;
};

}  // namespace platform
