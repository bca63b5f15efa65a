#include "platform/prefs/plist_codec.h"

#include <plist/plist.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>
#include <utility>

#include "platform/core/utf8_scalar.h"
#include "platform/prefs/binary_plist_reader.h"
#include "platform/prefs/binary_plist_writer.h"

namespace platform {
namespace {

constexpr std::size_t maxFileBytes = 64u << 20;
constexpr int maxDepth = 256;
// libxml2 refuses an element inside more than 256 others (unless told to take huge documents). The root dictionary's
// values lie inside <plist> and <dict>: nested 255 deep, the elements inside them would be one too many.
constexpr int maxXmlDepth = 255;

const std::string tooDeep = "nested deeper than the 256 levels a preferences file is read with";
const std::string tooLarge = "more than the 64 MiB a preferences file is read with";

struct PlistFree {
  void operator()(plist_t node) const { plist_free(node); }
};
using Node = std::unique_ptr<void, PlistFree>;

struct CharFree {
  void operator()(char* p) const { std::free(p); }
};

std::optional<PlistValue> fromNode(plist_t node, int depth);
plist_t dictNode(const PlistDict& dict);

// The library holds a date and an integer above the signed range whole, but its getters and makers take a date's
// seconds in 32 bits and an integer as 64 bits without sign. Its binary form holds both whole, and so do our own binary
// reader and writer: such a value crosses over as a binary list {"v": value}.
constexpr const char* crossingKey = "v";

std::optional<PlistValue> fromNodeThroughBinaryForm(plist_t node) {
  Node holder(plist_new_dict());
  plist_dict_set_item(holder.get(), crossingKey, plist_copy(node));
  char* raw = nullptr;
  uint32_t length = 0;
  plist_to_bin(holder.get(), &raw, &length);
  if (!raw) return std::nullopt;
  const std::string bytes(raw, length);
  plist_to_bin_free(raw);
  auto dict = readBinaryPropertyListDictionary(bytes, {maxDepth, maxFileBytes});
  if (!dict || !dict->contains(crossingKey)) return std::nullopt;
  return dict->at(crossingKey);
}

plist_t nodeThroughBinaryForm(const PlistValue& value) {
  const std::string bytes = binaryPropertyList({{crossingKey, value}});
  plist_t raw = nullptr;
  plist_from_bin(bytes.data(), static_cast<uint32_t>(bytes.size()), &raw);
  Node holder(raw);
  plist_t node = holder ? plist_dict_get_item(holder.get(), crossingKey) : nullptr;
  return node ? plist_copy(node) : plist_new_string("");
}

std::optional<PlistDict> dictFromNode(plist_t node, int depth) {
  PlistDict dict;
  plist_dict_iter it = nullptr;
  plist_dict_new_iter(node, &it);
  if (!it) return dict;
  for (;;) {
    char* rawKey = nullptr;
    plist_t item = nullptr;
    plist_dict_next_item(node, it, &rawKey, &item);
    if (!item) {
      std::free(rawKey);
      break;
    }
    std::unique_ptr<char, CharFree> key(rawKey);
    auto value = fromNode(item, depth + 1);
    if (!value || !key) {
      std::free(it);
      return std::nullopt;
    }
    dict.insert_or_assign(std::string(key.get()), std::move(*value));
  }
  std::free(it);
  return dict;
}

std::optional<PlistValue> fromNode(plist_t node, int depth) {
  if (depth > maxDepth) return std::nullopt;
  switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
      uint8_t v = 0;
      plist_get_bool_val(node, &v);
      return PlistValue(v != 0);
    }
    case PLIST_UINT: {
      // The getter gives every integer as 64 unsigned bits, a negative one in two's complement.
      uint64_t v = 0;
      plist_get_uint_val(node, &v);
      if (v > static_cast<uint64_t>(INT64_MAX)) return fromNodeThroughBinaryForm(node);
      return PlistValue(static_cast<int64_t>(v));
    }
    case PLIST_REAL: {
      double v = 0;
      plist_get_real_val(node, &v);
      return PlistValue(v);
    }
    case PLIST_STRING: {
      // By length: a binary list may hold a NUL inside a string, which the copying getter asserts against.
      uint64_t length = 0;
      const char* s = plist_get_string_ptr(node, &length);
      return PlistValue(std::string(s ? s : "", s ? length : 0));
    }
    case PLIST_DATE:
      return fromNodeThroughBinaryForm(node);
    case PLIST_DATA: {
      uint64_t length = 0;
      const char* d = plist_get_data_ptr(node, &length);
      return PlistValue(PlistData{std::string(d ? d : "", d ? length : 0)});
    }
    case PLIST_ARRAY: {
      PlistArray array;
      uint32_t n = plist_array_get_size(node);
      array.reserve(n);
      for (uint32_t i = 0; i < n; ++i) {
        auto value = fromNode(plist_array_get_item(node, i), depth + 1);
        if (!value) return std::nullopt;
        array.push_back(std::move(*value));
      }
      return PlistValue(std::move(array));
    }
    case PLIST_DICT: {
      auto dict = dictFromNode(node, depth);
      if (!dict) return std::nullopt;
      return PlistValue(std::move(*dict));
    }
    default:  // keys outside a dictionary, UIDs of keyed archives, unknown kinds
      return std::nullopt;
  }
}

plist_t toNode(const PlistValue& value) {
  return std::visit(
      [](const auto& v) -> plist_t {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, bool>) {
          return plist_new_bool(v ? 1 : 0);
        } else if constexpr (std::is_same_v<T, int64_t>) {
          return plist_new_uint(static_cast<uint64_t>(v));
        } else if constexpr (std::is_same_v<T, uint64_t> || std::is_same_v<T, PlistDate>) {
          return nodeThroughBinaryForm(v);
        } else if constexpr (std::is_same_v<T, double>) {
          return plist_new_real(v);
        } else if constexpr (std::is_same_v<T, std::string>) {
          return plist_new_string(v.c_str());
        } else if constexpr (std::is_same_v<T, PlistData>) {
          return plist_new_data(v.bytes.data(), v.bytes.size());
        } else if constexpr (std::is_same_v<T, PlistArray>) {
          plist_t array = plist_new_array();
          for (const auto& item : v) plist_array_append_item(array, toNode(item));
          return array;
        } else {
          return dictNode(v);
        }
      },
      value.storage());
}

plist_t dictNode(const PlistDict& dict) {
  plist_t node = plist_new_dict();
  for (const auto& [key, item] : dict) plist_dict_set_item(node, key.c_str(), toNode(item));
  return node;
}

// The characters of XML 1.0 (for the control characters, even as character references).
bool isXmlCharacter(char32_t c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
         (c >= 0x10000 && c <= 0x10FFFF);
}

// The key as a log shows it: characters that would not show as themselves in a line, and bytes that are no UTF-8,
// as escapes.
std::string printableKey(std::string_view key) {
  std::string shown;
  for (std::size_t at = 0; at < key.size();) {
    const DecodedScalar character = decodeUtf8(key, at);
    char escape[16];
    if (!character.valid) {
      std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned char>(key[at]));
      shown += escape;
      ++at;
      continue;
    }
    if (character.scalar < 0x20 || character.scalar == 0x7F || !isXmlCharacter(character.scalar)) {
      std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(character.scalar));
      shown += escape;
    } else {
      shown.append(key.substr(at, character.length));
    }
    at += character.length;
  }
  return shown;
}

// Whether XML gives a dictionary's keys and values back, and about the size they take in it.
struct XmlSurvey {
  bool holds = true;         // XML holds every key and text, at a depth XML readers take
  std::size_t size = 0;      // at least what the keys and values take as XML
  std::size_t elements = 0;  // keys and values
  int depth = 0;             // of the deepest value, 1 for the root dictionary's values
};

// XML holds the characters of XML 1.0 in UTF-8; the library would write any other byte as it is.
void surveyText(std::string_view text, XmlSurvey& survey) {
  for (std::size_t at = 0; at < text.size();) {
    const DecodedScalar character = decodeUtf8(text, at);
    if (!character.valid || !isXmlCharacter(character.scalar)) survey.holds = false;
    const char c = text[at];
    survey.size += c == '&' ? 5 : c == '<' || c == '>' ? 4 : character.length;
    at += character.length;
  }
}

// `depth` counts from 1 for the root dictionary's values, whose elements lie inside <plist> and <dict>.
void surveyValue(const PlistValue& value, int depth, XmlSurvey& survey) {
  if (depth > maxXmlDepth) survey.holds = false;
  survey.depth = std::max(survey.depth, depth);
  ++survey.elements;
  if (const auto* text = value.get<std::string>()) {
    surveyText(*text, survey);
  } else if (const auto* data = value.get<PlistData>()) {
    survey.size += (data->bytes.size() + 2) / 3 * 4;  // base64
  } else if (const auto* array = value.get<PlistArray>()) {
    for (const auto& item : *array) surveyValue(item, depth + 1, survey);
  } else if (const auto* dict = value.get<PlistDict>()) {
    for (const auto& [key, item] : *dict) {
      surveyText(key, survey);
      ++survey.elements;
      surveyValue(item, depth + 1, survey);
    }
  }
}

// What reading XML takes, found before the library reads it.
struct XmlReadingCost {
  std::size_t bytes = 0;  // in memory: each element at the cost of a value, texts at most the file's bytes
  int depth = 0;          // of the deepest element, <plist> being at 1
};

XmlReadingCost xmlReadingCost(std::string_view xml) {
  XmlReadingCost cost{.bytes = xml.size()};
  int depth = 0;
  for (std::size_t at = xml.find('<'); at != std::string_view::npos; at = xml.find('<', at)) {
    const std::string_view tag = xml.substr(at);
    const std::string_view end = tag.starts_with("<!--") ? "-->" : tag.starts_with("<![CDATA[") ? "]]>" : ">";
    const std::size_t close = xml.find(end, at + 1);
    if (close == std::string_view::npos) break;  // the library takes no unclosed tag
    if (tag.size() > 1 && tag[1] == '/') {
      --depth;
    } else if (tag.size() > 1 && tag[1] != '?' && tag[1] != '!') {
      cost.bytes += propertyListValueCost;
      const bool empty = xml[close - 1] == '/';  // <true/>, <array/>
      cost.depth = std::max(cost.depth, depth + 1);
      if (!empty) ++depth;
    }
    at = close + end.size();
  }
  return cost;
}

std::string largestProblem(std::string_view largestKey) {
  return "in either form they would take " + tooLarge + ", the value of \"" + printableKey(largestKey) + "\" the most";
}

}  // namespace

std::optional<PlistDict> parsePropertyListDictionary(std::string_view bytes) {
  return readPropertyListDictionary(bytes).dict;
}

PropertyListReading readPropertyListDictionary(std::string_view bytes) {
  if (bytes.empty()) return {};
  if (bytes.size() > maxFileBytes) return {.problem = "it would take " + tooLarge};
  // Binary lists are read by our own reader: the library stops the whole process on some malformed ones.
  if (isBinaryPropertyList(bytes)) {
    ListRefusal refusal = ListRefusal::unreadable;
    auto dict = readBinaryPropertyListDictionary(bytes, {maxDepth, maxFileBytes}, &refusal);
    if (dict) return {.dict = std::move(dict)};
    if (refusal == ListRefusal::tooDeep) return {.problem = "it is " + tooDeep};
    if (refusal == ListRefusal::tooLarge) return {.problem = "it would take " + tooLarge};
    return {};
  }
  // The root dictionary's values lie inside <plist> and <dict>.
  const auto cost = xmlReadingCost(bytes);
  if (cost.depth > maxDepth + 2) return {.problem = "it is " + tooDeep};
  if (cost.bytes > maxFileBytes) return {.problem = "it would take " + tooLarge};
  plist_t raw = nullptr;
  plist_from_xml(bytes.data(), static_cast<uint32_t>(bytes.size()), &raw);
  Node root(raw);
  if (!root || plist_get_node_type(root.get()) != PLIST_DICT) return {};
  return {.dict = dictFromNode(root.get(), 0)};
}

std::optional<bool> parsePropertyListBoolean(std::string_view bytes) {
  if (bytes.empty() || bytes.size() > maxFileBytes) return std::nullopt;
  if (isBinaryPropertyList(bytes)) return readBinaryPropertyListBoolean(bytes);
  plist_t raw = nullptr;
  plist_from_xml(bytes.data(), static_cast<uint32_t>(bytes.size()), &raw);
  Node root(raw);
  if (!root || plist_get_node_type(root.get()) != PLIST_BOOLEAN) return std::nullopt;
  uint8_t value = 0;
  plist_get_bool_val(root.get(), &value);
  return value != 0;
}

std::string xmlPropertyList(const PlistDict& dict) {
  PropertyListDocument document(dict);
  const auto bytes = document.bytes();
  return std::string(bytes && document.form() == PropertyListDocument::Form::xml ? *bytes : "");
}

PropertyListDocument::PropertyListDocument(const PlistDict& dict) {
  XmlSurvey survey;
  std::size_t largest = 0;
  int deepest = 0;
  for (const auto& [key, value] : dict) {
    const std::size_t before = survey.size + survey.elements * propertyListValueCost;
    surveyText(key, survey);
    ++survey.elements;
    XmlSurvey item;
    surveyValue(value, 1, item);
    survey.holds = survey.holds && item.holds;
    survey.size += item.size;
    survey.elements += item.elements;
    if (const std::size_t taken = survey.size + survey.elements * propertyListValueCost - before; taken > largest) {
      largest = taken;
      largestKey_ = key;
    }
    if (item.depth > deepest) {
      deepest = item.depth;
      deepestKey_ = key;
    }
  }
  // At least what reading the XML takes: its texts, and the elements of the keys, the values, <plist> and <dict>.
  const std::size_t xmlCost = survey.size + (survey.elements + 2) * propertyListValueCost;
  if (survey.holds && xmlCost <= maxFileBytes)
    tree_ = dictNode(dict);
  else
    dict_ = dict;
}

PropertyListDocument::~PropertyListDocument() {
  if (tree_) plist_free(tree_);
  if (xml_) plist_to_xml_free(xml_);
}

std::optional<std::string_view> PropertyListDocument::bytes() {
  if (tree_ || dict_) render();
  if (!problem_.empty()) return std::nullopt;
  if (form_ == Form::xml) return std::string_view(xml_ ? xml_ : "", xml_ ? length_ : 0);
  return std::string_view(binary_);
}

void PropertyListDocument::render() {
  if (tree_) {
    form_ = Form::xml;
    plist_to_xml(tree_, &xml_, &length_);
    if (xml_ && length_ <= maxFileBytes && xmlReadingCost({xml_, length_}).bytes <= maxFileBytes) {
      plist_free(std::exchange(tree_, nullptr));
      return;
    }
    // Markup made it too large: the binary form writes each text once.
    if (xml_) plist_to_xml_free(std::exchange(xml_, nullptr));
    dict_ = dictFromNode(tree_, 0);
    plist_free(std::exchange(tree_, nullptr));
  }
  form_ = Form::binary;
  // Without the settings in hand the bytes stay empty, which the check below refuses: never a file without them.
  if (dict_) binary_ = binaryPropertyList(*dict_);
  dict_.reset();
  // Read back as the next start reads it (copying nothing): a text used in many places counts at each of them.
  const auto refusal = binary_.size() <= maxFileBytes
                           ? binaryPropertyListDictionaryRefusal(binary_, {maxDepth, maxFileBytes})
                           : std::optional<ListRefusal>(ListRefusal::tooLarge);
  if (!refusal) return;
  binary_ = std::string();
  problem_ = refusal == ListRefusal::tooDeep ? "the value of \"" + printableKey(deepestKey_) + "\" is " + tooDeep
                                             : largestProblem(largestKey_);
}

}  // namespace platform
