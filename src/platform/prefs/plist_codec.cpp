#include "platform/prefs/plist_codec.h"

#include <plist/plist.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>

#include "platform/prefs/binary_plist_reader.h"

namespace platform {
namespace {

constexpr std::size_t maxFileBytes = 64u << 20;
constexpr int maxDepth = 256;

struct PlistFree {
  void operator()(plist_t node) const { plist_free(node); }
};
using Node = std::unique_ptr<void, PlistFree>;

struct CharFree {
  void operator()(char* p) const { std::free(p); }
};

std::optional<PlistValue> fromNode(plist_t node, int depth);
plist_t dictNode(const PlistDict& dict);

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
      // The library keeps every integer as 64 unsigned bits; negative numbers come back in two's complement.
      uint64_t v = 0;
      plist_get_uint_val(node, &v);
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
    case PLIST_DATE: {
      int32_t sec = 0, usec = 0;
      plist_get_date_val(node, &sec, &usec);
      return PlistValue(dateFromReferenceSeconds(0) + std::chrono::seconds(sec) + std::chrono::microseconds(usec));
    }
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
        } else if constexpr (std::is_same_v<T, double>) {
          return plist_new_real(v);
        } else if constexpr (std::is_same_v<T, std::string>) {
          return plist_new_string(v.c_str());
        } else if constexpr (std::is_same_v<T, PlistDate>) {
          auto micros = std::chrono::duration_cast<std::chrono::microseconds>(v - dateFromReferenceSeconds(0)).count();
          int64_t sec = micros / 1000000;
          int64_t usec = micros % 1000000;
          if (usec < 0) {
            usec += 1000000;
            sec -= 1;
          }
          sec = std::clamp<int64_t>(sec, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max());
          return plist_new_date(static_cast<int32_t>(sec), static_cast<int32_t>(usec));
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

}  // namespace

std::optional<PlistDict> parsePropertyListDictionary(std::string_view bytes) {
  if (bytes.empty() || bytes.size() > maxFileBytes) return std::nullopt;
  // Binary lists are read by our own reader: the library stops the whole process on some malformed ones.
  if (isBinaryPropertyList(bytes)) return readBinaryPropertyListDictionary(bytes, {maxDepth, maxFileBytes});
  plist_t raw = nullptr;
  plist_from_xml(bytes.data(), static_cast<uint32_t>(bytes.size()), &raw);
  Node root(raw);
  if (!root || plist_get_node_type(root.get()) != PLIST_DICT) return std::nullopt;
  return dictFromNode(root.get(), 0);
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
  return std::string(document.xml());
}

PropertyListDocument::PropertyListDocument(const PlistDict& dict) : tree_(dictNode(dict)) {}

PropertyListDocument::~PropertyListDocument() {
  if (tree_) plist_free(tree_);
  if (xml_) plist_to_xml_free(xml_);
}

std::string_view PropertyListDocument::xml() {
  if (tree_) {
    plist_to_xml(tree_, &xml_, &length_);
    plist_free(tree_);
    tree_ = nullptr;
  }
  return {xml_ ? xml_ : "", xml_ ? length_ : 0};
}

}  // namespace platform
