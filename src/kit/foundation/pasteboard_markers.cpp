#include "kit/foundation/pasteboard_markers.h"

namespace kit {

namespace {

bool setString(platform::PasteboardItem& item, const std::string& type, const std::string& value) {
  if (item.dataByType.count(type) == 0) item.types.push_back(type);
  item.dataByType[type] = value;
  return true;
}

}  // namespace

std::string plainText(const platform::Url& url) {
  if (url.isFileUrl()) return url.path();
  std::string plain = url.absoluteString();
  if (plain.starts_with("mailto:")) plain.erase(0, 7);
  return plain;
}

bool setUrl(platform::PasteboardItem& item, const platform::Url& url) {
  const std::string& type = url.isFileUrl() ? platform::PasteboardType::fileUrl : platform::PasteboardType::url;
  if (!setString(item, type, url.absoluteString())) return false;
  return setString(item, platform::PasteboardType::string, plainText(url));
}

}  // namespace kit
