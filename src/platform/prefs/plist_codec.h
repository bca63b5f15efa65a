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

// Writes a dictionary as an XML property list; empty when XML cannot hold it (see PropertyListDocument).
std::string xmlPropertyList(const PlistDict& dict);

// A dictionary as the bytes of a preferences file, in a form that gives it back whole to the next start and to other
// readers: XML when XML 1.0 holds every key and text (no control character but tab, line feed and carriage return, no
// U+FFFE or U+FFFF), nested no deeper than XML readers take (libxml2 takes 255 levels below the root dictionary), in
// no more than the 64 MiB a preferences file is read with; else the binary form, which holds such characters, any
// depth the reader takes, and each text that occurs many times once.
// In two steps, for large dictionaries: the constructor copies the dictionary (cheap, under the caller's lock);
// `bytes()` renders them once, freeing the copy, and keeps them without another copy.
// A dictionary that neither form gives back gets no bytes, and `problem()` says why, naming the dictionary's key whose
// value is the cause: a key or text with a NUL or with bytes that are no UTF-8 (the library writes texts as C strings,
// and those that are not ASCII as UTF-16, so no form keeps them), or more than the read limit in either form (in the
// binary form, each text counted at every place it occurs, as the reader copies it).
class PropertyListDocument {
 public:
  enum class Form { xml, binary };

  explicit PropertyListDocument(const PlistDict& dict);
  ~PropertyListDocument();
  PropertyListDocument(const PropertyListDocument&) = delete;
  PropertyListDocument& operator=(const PropertyListDocument&) = delete;

  std::optional<std::string_view> bytes();
  // The form of the bytes.
  Form form() const { return form_; }
  const std::string& problem() const { return problem_; }

 private:
  void render();
  void freeText();

  void* tree_ = nullptr;
  bool tryXml_ = false;
  Form form_ = Form::xml;
  char* text_ = nullptr;
  uint32_t length_ = 0;
  std::string problem_;
  std::string largestKey_;
};

}  // namespace platform
