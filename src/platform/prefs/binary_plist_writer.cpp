#include "platform/prefs/binary_plist_writer.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <variant>
#include <vector>

#include "platform/core/ascii.h"
#include "platform/core/utf8_scalar.h"

namespace platform {
namespace {

// The bytes a number up to `largest` takes when written in as few of 1, 2, 4 and 8 as hold it.
unsigned widthFor(uint64_t largest) {
  if (largest <= 0xFF) return 1;
  if (largest <= 0xFFFF) return 2;
  if (largest <= 0xFFFFFFFF) return 4;
  return 8;
}

void appendNumber(std::string& out, uint64_t value, unsigned width) {
  for (unsigned shift = width * 8; shift > 0; shift -= 8) out += static_cast<char>((value >> (shift - 8)) & 0xFF);
}

void appendInteger(std::string& out, int64_t value) {
  // 1, 2 and 4 bytes are read as unsigned numbers, 8 as a signed one.
  const unsigned width = value < 0 ? 8 : widthFor(static_cast<uint64_t>(value));
  out += static_cast<char>(0x10 | std::countr_zero(width));
  appendNumber(out, static_cast<uint64_t>(value), width);
}

// Above the signed range, 16 bytes of which the high 8 are zero.
void appendUnsignedInteger(std::string& out, uint64_t value) {
  out += static_cast<char>(0x14);
  appendNumber(out, 0, 8);
  appendNumber(out, value, 8);
}

// The marker of a string, data or collection object with its count, which follows as an integer when it is 15 or
// more.
void appendMarker(std::string& out, unsigned kind, uint64_t count) {
  if (count < 15) {
    out += static_cast<char>(kind << 4 | count);
    return;
  }
  out += static_cast<char>(kind << 4 | 0xF);
  const unsigned width = widthFor(count);
  out += static_cast<char>(0x10 | std::countr_zero(width));
  appendNumber(out, count, width);
}

void appendDouble(std::string& out, unsigned marker, double value) {
  out += static_cast<char>(marker);
  appendNumber(out, std::bit_cast<uint64_t>(value), 8);
}

void appendText(std::string& out, std::string_view text) {
  // ASCII as it is, and bytes that are no UTF-8 too; any other text as UTF-16.
  if (isAscii(text) || !isValidUtf8(text)) {
    appendMarker(out, 0x5, text.size());
    out.append(text);
    return;
  }
  const std::u16string units = toUtf16(text);
  appendMarker(out, 0x6, units.size());
  for (char16_t unit : units) appendNumber(out, unit, 2);
}

// The objects of a list in the order they are written: each collection lists the objects it refers to.
class Objects {
 public:
  explicit Objects(const PlistDict& root) { add(root); }

  std::string list() const {
    std::string out = "bplist00";
    const unsigned referenceWidth = widthFor(objects_.size() - 1);
    std::vector<uint64_t> offsets;
    offsets.reserve(objects_.size());
    for (const Object& object : objects_) {
      offsets.push_back(out.size());
      write(out, object, referenceWidth);
    }
    const uint64_t table = out.size();
    const unsigned offsetWidth = widthFor(offsets.empty() ? 0 : offsets.back());
    for (uint64_t offset : offsets) appendNumber(out, offset, offsetWidth);
    out.append(6, '\0');
    out += static_cast<char>(offsetWidth);
    out += static_cast<char>(referenceWidth);
    appendNumber(out, objects_.size(), 8);
    appendNumber(out, 0, 8);  // the root dictionary comes first
    appendNumber(out, table, 8);
    return out;
  }

 private:
  struct Object {
    enum class Kind { text, dictionary, other } kind;
    std::string_view text;              // a key or a text value
    const PlistValue* value = nullptr;  // of any other kind
    std::vector<uint64_t> references;   // of an array; of a dictionary its keys, then its values
  };

  uint64_t add(const PlistDict& dict) {
    const uint64_t index = reserve({Object::Kind::dictionary});
    std::vector<uint64_t> keys, values;
    keys.reserve(2 * dict.size());
    values.reserve(dict.size());
    for (const auto& [key, value] : dict) {
      keys.push_back(addText(key));
      values.push_back(add(value));
    }
    keys.insert(keys.end(), values.begin(), values.end());
    objects_[index].references = std::move(keys);
    return index;
  }

  uint64_t add(const PlistValue& value) {
    if (const auto* text = value.get<std::string>()) return addText(*text);
    if (const auto* dict = value.get<PlistDict>()) return add(*dict);
    const uint64_t index = reserve({Object::Kind::other, {}, &value});
    if (const auto* array = value.get<PlistArray>()) {
      std::vector<uint64_t> items;
      items.reserve(array->size());
      for (const auto& item : *array) items.push_back(add(item));
      objects_[index].references = std::move(items);
    }
    return index;
  }

  uint64_t addText(std::string_view text) {
    auto [found, added] = texts_.try_emplace(text, objects_.size());
    if (added) reserve({Object::Kind::text, text});
    return found->second;
  }

  uint64_t reserve(Object object) {
    objects_.push_back(std::move(object));
    return objects_.size() - 1;
  }

  static void write(std::string& out, const Object& object, unsigned referenceWidth) {
    auto withReferences = [&](unsigned kind, std::size_t count) {
      appendMarker(out, kind, count);
      for (uint64_t reference : object.references) appendNumber(out, reference, referenceWidth);
    };
    switch (object.kind) {
      case Object::Kind::text:
        return appendText(out, object.text);
      case Object::Kind::dictionary:
        return withReferences(0xD, object.references.size() / 2);
      case Object::Kind::other:
        break;
    }
    std::visit(
        [&](const auto& v) {
          using T = std::decay_t<decltype(v)>;
          if constexpr (std::is_same_v<T, bool>) {
            out += static_cast<char>(v ? 0x09 : 0x08);
          } else if constexpr (std::is_same_v<T, int64_t>) {
            appendInteger(out, v);
          } else if constexpr (std::is_same_v<T, uint64_t>) {
            appendUnsignedInteger(out, v);
          } else if constexpr (std::is_same_v<T, double>) {
            appendDouble(out, 0x23, v);
          } else if constexpr (std::is_same_v<T, PlistDate>) {
            appendDouble(out, 0x33, secondsSinceReferenceDate(v));
          } else if constexpr (std::is_same_v<T, PlistData>) {
            appendMarker(out, 0x4, v.bytes.size());
            out.append(v.bytes);
          } else if constexpr (std::is_same_v<T, PlistArray>) {
            withReferences(0xA, object.references.size());
          }  // texts and dictionaries are objects of their own kinds
        },
        object.value->storage());
  }

  std::vector<Object> objects_;
  std::unordered_map<std::string_view, uint64_t> texts_;
};

}  // namespace

std::string binaryPropertyList(const PlistDict& dict) { return Objects(dict).list(); }

}  // namespace platform
