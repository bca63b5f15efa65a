#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "platform/prefs/plist_value.h"

namespace platform {

// Whether the bytes start as a binary property list ("bplist00") does.
bool isBinaryPropertyList(std::string_view bytes);

// Binary property lists, as other tools (and the preferences themselves, for what XML cannot hold) write them, read
// by their trailer, offset table and object references without trusting any of them: an offset, reference or length
// that points outside the list, an object of a kind preferences never hold (null, UID, set), a dictionary key that is
// not a string, nesting deeper than `maxDepth`, or objects whose copies would take more than `maxBytes` in memory make
// the whole list unreadable. Writers refer to one object from everywhere it is used, so each copy counts at its full
// size: a list of a few kilobytes may stand for megabytes of settings, and is read as long as they fit. The copies are
// counted before any is made, so that a list whose references stand for far more is refused without taking that
// memory.
struct BinaryListLimits {
  int maxDepth;
  std::size_t maxBytes;
};

// The root dictionary; none when the root is of another kind or the list is unreadable.
std::optional<PlistDict> readBinaryPropertyListDictionary(std::string_view bytes, BinaryListLimits limits);
// Whether the root dictionary would be read, found without copying anything.
bool binaryPropertyListDictionaryFits(std::string_view bytes, BinaryListLimits limits);
// The root Boolean; none when the root is of another kind or the list does not hold together. Only the root object
// is read.
std::optional<bool> readBinaryPropertyListBoolean(std::string_view bytes);

}  // namespace platform
