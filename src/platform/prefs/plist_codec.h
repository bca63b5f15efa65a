#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/prefs/plist_value.h"

namespace platform {

// Reads a property list, XML or binary, whose root is a dictionary. Any other input, including a root of another
// kind, nesting deeper than the 256 levels a preferences file is read with, or settings that would take more than the
// 64 MiB it is read with in memory (each value and key counted at what the program and the library take for it, in a
// binary list each object it refers to many times at every copy), gives no value. XML is counted before the library
// reads it.
std::optional<PlistDict> parsePropertyListDictionary(std::string_view bytes);

// The same, saying why a list is not read when a limit stands in the way.
struct PropertyListReading {
  std::optional<PlistDict> dict;
  // When there is no dictionary: "it is nested deeper than the 256 levels a preferences file is read with" or "it
  // would take more than the 64 MiB a preferences file is read with"; "" for input that is no preferences dictionary.
  std::string problem;
};
PropertyListReading readPropertyListDictionary(std::string_view bytes);

// The Boolean of a property list (XML or binary) whose root is one; none for anything else, including input that is
// no property list. Binary lists are read only as far as their root object.
std::optional<bool> parsePropertyListBoolean(std::string_view bytes);

// Writes a dictionary as an XML property list; empty when XML cannot hold it (see PropertyListDocument).
std::string xmlPropertyList(const PlistDict& dict);

// A dictionary as the bytes of a preferences file, in a form that gives it back whole to the next start: XML when XML
// 1.0 holds every key and text (UTF-8 with no control character but tab, line feed and carriage return, no U+FFFE or
// U+FFFF), nested no deeper than XML readers take (libxml2 takes 255 levels below the root dictionary), in no more than
// the 64 MiB a preferences file is read with (counted as the reader counts it); else the binary form (see
// binaryPropertyList), which holds any key and text, any depth the reader takes, and each text that occurs many times
// once.
// In two steps, for large dictionaries: the constructor copies the dictionary (cheap, under the caller's lock);
// `bytes()` renders them once, freeing the copy, and keeps them without another copy.
// A dictionary that neither form gives back gets no bytes, and `problem()` says why: larger than the read limit in both
// forms (in the binary form, each text counted at every place it occurs, as the reader copies it), naming the key whose
// value takes the most, or nested deeper than the reader takes, naming the key whose value is.
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

  void* tree_ = nullptr;           // the library's copy, for XML
  std::optional<PlistDict> dict_;  // our own, for the binary form
  Form form_ = Form::xml;
  char* xml_ = nullptr;
  uint32_t length_ = 0;
  std::string binary_;
  std::string problem_;
  std::string largestKey_;
  std::string deepestKey_;
};

}  // namespace platform
