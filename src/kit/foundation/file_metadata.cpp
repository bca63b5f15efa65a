#include "kit/foundation/file_metadata.h"

#include <sys/xattr.h>

#include <cerrno>

#include "platform/prefs/plist_codec.h"

namespace kit {

namespace {

std::string attributeName(std::string_view name) {
  if (name.starts_with("user.")) return std::string(name);
  return "user." + std::string(name);
}

std::optional<std::string> textAttribute(const platform::Url& url, std::string_view name) {
  try {
    Bytes8 bytes = ExtendedAttributes(url).get(name);
    return std::string(bytes.begin(), bytes.end());
  } catch (const Error&) {
    return std::nullopt;
  }
}

}  // namespace

PlatformError fileNoSuchFileError() {
  return PlatformError("NSCocoaErrorDomain", 4,
                       {{platform::userinfo::localizedDescription, std::string("The file doesn\u2019t exist.")}});
}

PlatformError propertyListReadCorruptError() {
  return PlatformError("NSCocoaErrorDomain", 3840,
                       {{platform::userinfo::localizedDescription,
                         std::string("The data couldn\u2019t be read because it isn\u2019t in the correct format.")}});
}

Bytes8 ExtendedAttributes::get(std::string_view name) const {
  if (!url_.isFileUrl()) throw fileNoSuchFileError();
  const std::string path = url_.path(), attribute = attributeName(name);
  // The attribute may change between learning its size and reading it: a shorter one leaves the buffer cut to
  // what was read; a longer one fails with ERANGE and is measured once more. An empty buffer reads nothing: the
  // second call answers the size again, and a size above zero means the attribute grew.
  for (int attempt = 0;; ++attempt) {
    ssize_t size = getxattr(path.c_str(), attribute.c_str(), nullptr, 0);
    if (size < 0) throw PlatformError::posix(errno);
    Bytes8 bytes(static_cast<std::size_t>(size));
    ssize_t read = getxattr(path.c_str(), attribute.c_str(), bytes.data(), bytes.size());
    const bool grew = read < 0 ? errno == ERANGE : bytes.empty() && read > 0;
    if (read >= 0 && !grew) {
      bytes.resize(static_cast<std::size_t>(read));
      return bytes;
    }
    if (!grew) throw PlatformError::posix(errno);
    if (attempt > 0) throw PlatformError::posix(ERANGE);
  }
}

std::optional<bool> ExtendedAttributes::decodedBool(std::string_view name) const {
  Bytes8 bytes;
  try {
    bytes = get(name);
  } catch (const PlatformError& error) {
    if (error.domain() == platform::PlatformError::posixDomain && error.code() == ENODATA) return std::nullopt;
    throw;
  }
  auto value =
      platform::parsePropertyListBoolean(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  if (!value) throw propertyListReadCorruptError();
  return value;
}

std::optional<bool> extendedAttributeMetadataValue(const platform::Url& url, std::string_view name) {
  return ExtendedAttributes(url).decodedBool("com.apple.metadata:" + std::string(name));
}

std::optional<std::string> originUrl(const platform::Url& url) { return textAttribute(url, "xdg.origin.url"); }

std::optional<std::string> comment(const platform::Url& url) { return textAttribute(url, "xdg.comment"); }

std::vector<std::string> tags(const platform::Url& url) {
  std::vector<std::string> result;
  auto text = textAttribute(url, "xdg.tags");
  if (!text) return result;
  std::size_t start = 0;
  while (start <= text->size()) {
    std::size_t comma = text->find(',', start);
    if (comma == std::string::npos) comma = text->size();
    std::string tag = text->substr(start, comma - start);
    if (!tag.empty()) result.push_back(std::move(tag));
    start = comma + 1;
  }
  return result;
}

std::optional<bool> fileFlag(const platform::Url& url, std::string_view name) {
  try {
    return extendedAttributeMetadataValue(url, name);
  } catch (const Error&) {
    return std::nullopt;
  }
}

}  // namespace kit
