#include "platform/prefs/binary_plist_reader.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <string>
#include <utility>

#include "platform/core/utf8_scalar.h"

namespace platform {
namespace {

constexpr std::string_view magic = "bplist00";
constexpr std::size_t trailerSize = 32;
// What a dictionary's entry takes in memory besides its key and value: the key's string and the tree node around it.
constexpr std::size_t entryCost = sizeof(std::string) + 4 * sizeof(void*);

// The marker byte of each object: its kind in the high four bits.
enum Kind : unsigned {
  simple = 0x0,  // 0x08 false, 0x09 true
  integer = 0x1,
  real = 0x2,
  date = 0x3,
  data = 0x4,
  asciiString = 0x5,
  utf16String = 0x6,
  array = 0xA,
  dictionary = 0xD,
};

// One list: the objects lie between the header and the offset table, which the trailer describes.
class BinaryList {
 public:
  // None unless the trailer and the offset table hold together.
  static std::optional<BinaryList> open(std::string_view bytes, BinaryListLimits limits = {}) {
    if (!isBinaryPropertyList(bytes) || bytes.size() < magic.size() + trailerSize + 1) return std::nullopt;
    BinaryList list(bytes, limits);
    const std::size_t trailer = bytes.size() - trailerSize;
    list.offsetSize_ = list.byte(trailer + 6);
    list.referenceSize_ = list.byte(trailer + 7);
    list.objects_ = list.number(trailer + 8, 8);
    list.root_ = list.number(trailer + 16, 8);
    list.table_ = list.number(trailer + 24, 8);
    if (list.offsetSize_ < 1 || list.offsetSize_ > 8 || list.referenceSize_ < 1 || list.referenceSize_ > 8 ||
        list.root_ >= list.objects_ || list.table_ < magic.size() || list.table_ >= trailer ||
        (trailer - list.table_) / list.offsetSize_ < list.objects_)
      return std::nullopt;
    return list;
  }

  // The root dictionary. Its objects are counted before anything is copied: a small list whose shared objects stand
  // for more than the limit is refused without taking that memory first.
  std::optional<PlistDict> rootDictionary() {
    if (!fits()) return std::nullopt;
    return dictionaryAt(root_, 0);
  }

  // Whether the root dictionary reads whole within the limits; copies nothing.
  bool fits() {
    copying_ = false;
    const bool fits = dictionaryAt(root_, 0).has_value();
    copying_ = true;
    spent_ = 0;
    return fits;
  }

  // Why the last reading or count stopped.
  ListRefusal refusal() const { return refusal_; }

  uint64_t root() const { return root_; }

  // Where the object starts; none when its offset points outside the objects.
  std::optional<std::size_t> offsetOf(uint64_t reference) const {
    if (reference >= objects_) return std::nullopt;
    const uint64_t offset = number(static_cast<std::size_t>(table_ + reference * offsetSize_), offsetSize_);
    if (offset < magic.size() || offset >= table_) return std::nullopt;
    return static_cast<std::size_t>(offset);
  }

  std::optional<PlistValue> object(uint64_t reference, int depth) {
    auto at = offsetOf(reference);
    if (!at || !within(depth)) return std::nullopt;
    const unsigned marker = byte(*at);
    const unsigned info = marker & 0xF;
    switch (marker >> 4) {
      case simple:
        if (info != 0x8 && info != 0x9) return std::nullopt;
        if (!spend(propertyListValueCost)) return std::nullopt;
        return PlistValue(info == 0x9);
      case integer: {
        // 1, 2 and 4 bytes hold unsigned numbers, 8 a signed one, 16 an unsigned one above the signed range when
        // its high 8 bytes are zero; of any other 16 bytes the low 8 are kept as a signed number.
        if (info > 4 || !fits(*at + 1, std::size_t{1} << info) || !spend(propertyListValueCost)) return std::nullopt;
        const uint64_t low = number(*at + 1, std::size_t{1} << info);
        if (info == 4 && number(*at + 1, 8) == 0) return PlistValue(low);
        return PlistValue(static_cast<int64_t>(low));
      }
      case real: {
        auto value = floatingPoint(*at, info);
        if (!value || !spend(propertyListValueCost)) return std::nullopt;
        return PlistValue(*value);
      }
      case date: {
        auto seconds = info == 0x3 ? floatingPoint(*at, info) : std::nullopt;
        if (!seconds || !spend(propertyListValueCost)) return std::nullopt;
        return PlistValue(dateFromReferenceSeconds(*seconds));
      }
      case data: {
        auto content = bytesOf(*at, info, 1);
        if (!content) return std::nullopt;
        return copying_ ? PlistValue(PlistData{std::string(*content)}) : PlistValue();
      }
      case asciiString:
      case utf16String:
        if (auto text = stringAt(*at)) return PlistValue(std::move(*text));
        return std::nullopt;
      case array: {
        auto references = bytesOf(*at, info, referenceSize_);
        if (!references) return std::nullopt;
        PlistArray items;
        if (copying_) items.reserve(references->size() / referenceSize_);
        for (std::size_t i = 0; i < references->size(); i += referenceSize_) {
          auto item = object(referenceAt(*references, i), depth + 1);
          if (!item) return std::nullopt;
          if (copying_) items.push_back(std::move(*item));
        }
        return PlistValue(std::move(items));
      }
      case dictionary:
        if (auto dict = dictionaryAt(reference, depth)) return PlistValue(std::move(*dict));
        return std::nullopt;
      default:
        return std::nullopt;
    }
  }

  std::optional<PlistDict> dictionaryAt(uint64_t reference, int depth) {
    auto at = offsetOf(reference);
    if (!at || !within(depth) || byte(*at) >> 4 != dictionary) return std::nullopt;
    // The keys' references, then the values' references.
    auto references = bytesOf(*at, byte(*at) & 0xF, 2 * referenceSize_);
    if (!references) return std::nullopt;
    const std::size_t half = references->size() / 2;
    PlistDict dict;
    for (std::size_t i = 0; i < half; i += referenceSize_) {
      if (!spend(entryCost)) return std::nullopt;
      auto keyAt = offsetOf(referenceAt(*references, i));
      auto key = keyAt ? stringAt(*keyAt) : std::nullopt;
      auto value = key ? object(referenceAt(*references, half + i), depth + 1) : std::nullopt;
      if (!value) return std::nullopt;
      if (copying_) dict.insert_or_assign(std::move(*key), std::move(*value));
    }
    return dict;
  }

  std::optional<unsigned> markerOf(uint64_t reference) const {
    auto at = offsetOf(reference);
    if (!at) return std::nullopt;
    return byte(*at);
  }

 private:
  BinaryList(std::string_view bytes, BinaryListLimits limits) : bytes_(bytes), limits_(limits) {}

  unsigned byte(std::size_t at) const { return static_cast<unsigned char>(bytes_[at]); }

  // A big-endian number of `size` bytes; of a longer one, its low 8 bytes.
  uint64_t number(std::size_t at, std::size_t size) const {
    uint64_t value = 0;
    for (std::size_t i = 0; i < size; ++i) value = value << 8 | byte(at + i);
    return value;
  }

  uint64_t referenceAt(std::string_view references, std::size_t at) const {
    return number(static_cast<std::size_t>(references.data() - bytes_.data()) + at, referenceSize_);
  }

  // Whether `size` bytes from `at` lie before the offset table.
  bool fits(std::size_t at, std::size_t size) const { return at <= table_ && size <= table_ - at; }

  // Counts a copy against the room, a shared object at each of its copies.
  bool spend(std::size_t cost) {
    if (cost > limits_.maxBytes - spent_) {
      refusal_ = ListRefusal::tooLarge;
      return false;
    }
    spent_ += cost;
    return true;
  }

  bool within(int depth) {
    if (depth <= limits_.maxDepth) return true;
    refusal_ = ListRefusal::tooDeep;
    return false;
  }

  std::optional<double> floatingPoint(std::size_t at, unsigned info) const {
    if (info == 0x2 && fits(at + 1, 4)) return std::bit_cast<float>(static_cast<uint32_t>(number(at + 1, 4)));
    if (info == 0x3 && fits(at + 1, 8)) return std::bit_cast<double>(number(at + 1, 8));
    return std::nullopt;
  }

  // The content of a string, data or collection object of `count` units of `unitSize` bytes: the count is the low
  // four bits of its marker, or, when those are all set, the integer object that follows the marker.
  std::optional<std::string_view> bytesOf(std::size_t at, unsigned info, std::size_t unitSize) {
    uint64_t count = info;
    std::size_t start = at + 1;
    if (info == 0xF) {
      if (!fits(start, 1) || byte(start) >> 4 != integer || (byte(start) & 0xF) > 3) return std::nullopt;
      const std::size_t size = std::size_t{1} << (byte(start) & 0xF);
      if (!fits(start + 1, size)) return std::nullopt;
      count = number(start + 1, size);
      start += 1 + size;
    }
    if (count > (table_ - std::min<uint64_t>(start, table_)) / unitSize) return std::nullopt;
    const auto size = static_cast<std::size_t>(count * unitSize);
    if (!fits(start, size) || !spend(propertyListValueCost + size)) return std::nullopt;
    return bytes_.substr(start, size);
  }

  std::optional<std::string> stringAt(std::size_t at) {
    const unsigned marker = byte(at);
    if (marker >> 4 != asciiString && marker >> 4 != utf16String) return std::nullopt;
    auto content = bytesOf(at, marker & 0xF, marker >> 4 == asciiString ? 1 : 2);
    if (!content) return std::nullopt;
    if (!copying_) return std::string();
    if (marker >> 4 == asciiString) return std::string(*content);
    std::u16string units(content->size() / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i)
      units[i] = static_cast<char16_t>(static_cast<unsigned char>((*content)[2 * i]) << 8 |
                                       static_cast<unsigned char>((*content)[2 * i + 1]));
    // A lone surrogate becomes U+FFFD, as everywhere in the program; a leading U+FEFF or U+FFFE is a character.
    return toUtf8(units);
  }

  std::string_view bytes_;
  std::size_t offsetSize_ = 0;
  std::size_t referenceSize_ = 0;
  uint64_t objects_ = 0;
  uint64_t root_ = 0;
  uint64_t table_ = 0;
  BinaryListLimits limits_;
  std::size_t spent_ = 0;
  ListRefusal refusal_ = ListRefusal::unreadable;
  // False while the objects are only counted.
  bool copying_ = true;
};

}  // namespace

bool isBinaryPropertyList(std::string_view bytes) { return bytes.starts_with(magic); }

std::optional<PlistDict> readBinaryPropertyListDictionary(std::string_view bytes, BinaryListLimits limits,
                                                          ListRefusal* refusal) {
  auto list = BinaryList::open(bytes, limits);
  auto dict = list ? list->rootDictionary() : std::nullopt;
  if (!dict && refusal) *refusal = list ? list->refusal() : ListRefusal::unreadable;
  return dict;
}

std::optional<ListRefusal> binaryPropertyListDictionaryRefusal(std::string_view bytes, BinaryListLimits limits) {
  auto list = BinaryList::open(bytes, limits);
  if (!list) return ListRefusal::unreadable;
  if (list->fits()) return std::nullopt;
  return list->refusal();
}

std::optional<bool> readBinaryPropertyListBoolean(std::string_view bytes) {
  auto list = BinaryList::open(bytes);
  auto marker = list ? list->markerOf(list->root()) : std::nullopt;
  if (marker != 0x08u && marker != 0x09u) return std::nullopt;
  return marker == 0x09u;
}

}  // namespace platform
