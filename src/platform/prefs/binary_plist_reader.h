#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "platform/prefs/plist_value.h"

namespace platform {

// Whether the bytes start as a binary property list ("bplist00") does.
bool isBinaryPropertyList(std::string_view bytes);

// What one value of a property list takes in memory besides the bytes of its text or data: the value as the program
// holds it, and the node the property-list library makes of it while the settings are written as XML, or read from
// XML (about 100 bytes). Every value and every dictionary key is counted so against the limit a list is read with, a
// shared one at each place it is used, so that the limit bounds what reading a list and writing it again cost.
inline constexpr std::size_t propertyListValueCost = sizeof(PlistValue) + 104;

// Binary property lists, as other tools (and the preferences themselves, for what XML cannot hold) write them, read
// by their trailer, offset table and object references without trusting any of them: an offset, reference or length
// that points outside the list, an object of a kind preferences never hold (null, UID, set), a dictionary key that is
// not a string, nesting deeper than `maxDepth`, or objects whose copies would take more than `maxBytes` in memory make
// the whole list unreadable. Writers refer to one object from everywhere it is used, so each copy counts at its full
// size, each value and key at `propertyListValueCost` besides its bytes: a list of a few kilobytes may stand for
// megabytes of settings, and is read as long as they fit. The copies are counted before any is made, so that a list
// whose references stand for far more is refused without taking that memory.
struct BinaryListLimits {
  int maxDepth;
  std::size_t maxBytes;
};

// Why a list is not read.
enum class ListRefusal {
  unreadable,  // it does not hold together, or holds what preferences never do
  tooDeep,     // nested deeper than `maxDepth`
  tooLarge,    // its copies would take more than `maxBytes`
};

// The root dictionary; none when the root is of another kind or the list is not read, and then, when `refusal` is
// given, why.
std::optional<PlistDict> readBinaryPropertyListDictionary(std::string_view bytes, BinaryListLimits limits,
                                                          ListRefusal* refusal = nullptr);
// Why the root dictionary would not be read, found without copying anything; none when it would be.
std::optional<ListRefusal> binaryPropertyListDictionaryRefusal(std::string_view bytes, BinaryListLimits limits);
// The root Boolean; none when the root is of another kind or the list does not hold together. Only the root object
// is read.
std::optional<bool> readBinaryPropertyListBoolean(std::string_view bytes);

}  // namespace platform
