#include "kit/foundation/pasteboard_markers.h"

namespace kit {

namespace {

bool setString(platform::PasteboardItem& item, const std::string& type, const std::string& value) {
  if (item.dataByType.count(type) == 0) item.types.push_back(type);
  item.dataByType[type] = value;
  return true;
}

}  // namespace

bool setUrl(platform::PasteboardItem& item, const platform::Url& url) {
  const std::string& absolute = url.absoluteString();
  bool isFile = url.isFileUrl();
  if (!setString(item, isFile ? platform::PasteboardType::fileUrl : platform::PasteboardType::url, absolute)) {
    return false;
  }
  std::string plain = isFile ? url.path() : absolute;
  if (!isFile && plain.starts_with("mailto:")) plain.erase(0, 7);
  return setString(item, platform::PasteboardType::string, plain);
}

}  // namespace kit
