#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "kit/foundation/foundation_helpers.h"
#include "kit/foundation/general_error.h"
#include "platform/url/url.h"

namespace kit {

// The errors of file questions, as the rest of the program compares them.
PlatformError fileNoSuchFileError();           // "NSCocoaErrorDomain" 4
PlatformError propertyListReadCorruptError();  // "NSCocoaErrorDomain" 3840

// The extended attributes of one file. Names are those of the user namespace: "com.example.flag" is the attribute
// "user.com.example.flag" (a name that starts with "user." is taken as it is).
class ExtendedAttributes {
 public:
  explicit ExtendedAttributes(platform::Url url) : url_(std::move(url)) {}

  // The attribute's bytes. Throws the no-such-file error for a URL that is not a file URL (without touching the
  // file system) and the POSIX error of the system otherwise: ENODATA for a file without the attribute.
  Bytes8 get(std::string_view name) const;
  // The attribute as a property list holding a Boolean; none when the file has no such attribute. Throws like
  // get(), and the corrupt-property-list error when the bytes are not a Boolean property list.
  std::optional<bool> decodedBool(std::string_view name) const;

 private:
  platform::Url url_;
};

// The Boolean kept under "com.apple.metadata:" + name, as files from other systems carry it.
std::optional<bool> extendedAttributeMetadataValue(const platform::Url& url, std::string_view name);

// What the desktop records about a file in the freedesktop attributes (user.xdg.*): where it was downloaded from,
// the user's comment and the user's tags. None (or no tags) where nothing is recorded or the file cannot be read.
std::optional<std::string> originUrl(const platform::Url& url);
std::optional<std::string> comment(const platform::Url& url);
std::vector<std::string> tags(const platform::Url& url);

// The file flag question ("is this a screenshot", "kMDItemIsScreenCapture"): the flag kept in the file's extended
// attributes (the desktop keeps no other Boolean metadata of files); a failure counts as no answer.
std::optional<bool> fileFlag(const platform::Url& url, std::string_view name);

}  // namespace kit
