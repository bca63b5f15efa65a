#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/pasteboard/pasteboard.h"

// Clipboard content for tests of the in-memory pasteboard: types with their data, in offer order.
using PasteboardContent = std::vector<std::pair<std::string, platform::Bytes>>;

inline platform::PasteboardItem itemOf(const PasteboardContent& content) {
  platform::PasteboardItem item;
  for (const auto& [type, data] : content) {
    item.types.push_back(type);
    item.dataByType[type] = data;
  }
  return item;
}

// A rich copy as browsers make it: HTML and its plain text.
inline platform::PasteboardItem richText(const std::string& html, const std::string& text) {
  return itemOf({{platform::PasteboardType::html, html}, {platform::PasteboardType::string, text}});
}
