#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "platform/url/url.h"

namespace kit {

// The facts of a file location the kit asks about.
enum class UrlResourceKey {
  isApplication,            // Bool: a desktop entry of an application (Type=Application)
  localizedName,            // String: the application's name in the current language, else the file name
  name,                     // String: the file name
  isDirectory,              // Bool
  isRegularFile,            // Bool
  fileSize,                 // Int64: bytes; regular files only
  contentModificationDate,  // Date
};

using UrlResourceValue = std::variant<bool, std::string, int64_t, std::chrono::system_clock::time_point>;

// One fact of a file URL, read afresh; none when the URL is no file URL, nothing is there, or the fact does not
// apply (the size of a folder).
std::optional<UrlResourceValue> resourceValue(const platform::Url& url, UrlResourceKey key);

// The fact as a value of type T; none also when it has another type.
template <class T>
std::optional<T> resourceValue(const platform::Url& url, UrlResourceKey key) {
  auto value = resourceValue(url, key);
  if (!value) return std::nullopt;
  if (auto typed = std::get_if<T>(&*value)) return *typed;
  return std::nullopt;
}

}  // namespace kit
