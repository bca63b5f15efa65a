#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "platform/prefs/plist_value.h"

namespace platform {

// Whether the bytes start as a binary property list ("bplist00") does.
bool isBinaryPropertyList(std::string_view bytes);

// Binary property lists, as other tools write preferences, read by their trailer, offset table and object
// references without trusting any of them: an offset, reference or length that points outside the list, an object of
// a kind preferences never hold (null, UID, set), a dictionary key that is not a string, nesting deeper than
// `maxDepth`, or objects referred to so often that their copies would take more memory than a list of that size can
// need (about 128 times its size and 1 MiB more, never more than `maxBytes`) make the whole list unreadable.
struct BinaryListLimits {
  int maxDepth;
  std::size_t maxBytes;
};

// The root dictionary; none when the root is of another kind or the list is unreadable.
std::optional<PlistDict> readBinaryPropertyListDictionary(std::string_view bytes, BinaryListLimits limits);
// The root Boolean; none when the root is of another kind or the list does not hold together. Only the root object
// is read.
std::optional<bool> readBinaryPropertyListBoolean(std::string_view bytes);

}  // namespace platform
