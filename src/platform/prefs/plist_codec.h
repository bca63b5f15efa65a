#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/prefs/plist_value.h"

namespace platform {

// Reads a property list, XML or binary, whose root is a dictionary. Any other input, including a root of another
// kind, nesting deeper than the store ever writes, or more bytes than a preferences file can sensibly hold (also
// through objects a binary list refers to many times), gives no value.
std::optional<PlistDict> parsePropertyListDictionary(std::string_view bytes);

// The Boolean of a property list (XML or binary) whose root is one; none for anything else, including input that is
// no property list. Binary lists are read only as far as their root object.
std::optional<bool> parsePropertyListBoolean(std::string_view bytes);

// Writes a dictionary as an XML property list.
std::string xmlPropertyList(const PlistDict& dict);

// The same in two steps, for large dictionaries: the constructor copies the dictionary (cheap, under the
// caller's lock); `xml()` renders the text once, freeing the copy, and keeps it without another copy.
class PropertyListDocument {
 public:
  explicit PropertyListDocument(const PlistDict& dict);
  ~PropertyListDocument();
  PropertyListDocument(const PropertyListDocument&) = delete;
  PropertyListDocument& operator=(const PropertyListDocument&) = delete;

  std::string_view xml();

 private:
  void* tree_ = nullptr;
  char* xml_ = nullptr;
  uint32_t length_ = 0;
};

}  // namespace platform
