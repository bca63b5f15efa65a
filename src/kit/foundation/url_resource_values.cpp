#include "kit/foundation/url_resource_values.h"

#include <QDateTime>
#include <QFileInfo>

#include "platform/system/desktop_entry.h"

namespace kit {

std::optional<UrlResourceValue> resourceValue(const platform::Url& url, UrlResourceKey key) {
  if (!url.isFileUrl()) return std::nullopt;
  const std::string path = url.path();
  const QFileInfo file(QString::fromStdString(path));
  if (!file.exists()) return std::nullopt;
  switch (key) {
    case UrlResourceKey::isApplication:
      return file.isFile() && platform::readDesktopEntryFile(path).has_value();
    case UrlResourceKey::localizedName:
      if (file.isFile()) {
        if (auto entry = platform::readDesktopEntryFile(path)) return entry->name;
      }
      return file.fileName().toStdString();
    case UrlResourceKey::name:
      return file.fileName().toStdString();
    case UrlResourceKey::isDirectory:
      return file.isDir();
    case UrlResourceKey::isRegularFile:
      return file.isFile();
    case UrlResourceKey::fileSize:
      if (!file.isFile()) return std::nullopt;
      return static_cast<int64_t>(file.size());
    case UrlResourceKey::contentModificationDate: {
      const QDateTime modified = file.lastModified();
      if (!modified.isValid()) return std::nullopt;
      return std::chrono::system_clock::time_point(std::chrono::milliseconds(modified.toMSecsSinceEpoch()));
    }
  }
  return std::nullopt;
}

}  // namespace kit
