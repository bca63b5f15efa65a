#include "platform/core/error.h"

#include <cstring>

namespace platform {

std::optional<std::string> userInfoString(const UserInfo& info, const std::string& key) {
  auto it = info.find(key);
  if (it == info.end()) return std::nullopt;
  if (auto text = std::get_if<std::string>(&it->second)) return *text;
  return std::nullopt;
}

std::optional<std::string> Error::errorDescription() const { return std::nullopt; }

std::optional<std::string> Error::recoverySuggestion() const {
  return userInfoString(userInfo(), userinfo::localizedRecoverySuggestion);
}

std::optional<std::string> Error::helpAnchor() const { return userInfoString(userInfo(), userinfo::helpAnchor); }

std::string Error::localizedDescription() const {
  if (auto description = errorDescription()) return *description;
  if (auto description = userInfoString(userInfo(), userinfo::localizedDescription)) return *description;
  return "The operation couldn’t be completed. (" + domain() + " error " + std::to_string(code()) + ".)";
}

const char* Error::what() const noexcept {
  std::call_once(whatOnce_, [this] {
    try {
      what_ = localizedDescription();
    } catch (...) {
      what_ = "error";
    }
  });
  return what_.c_str();
}

PlatformError::PlatformError(std::string domain, int64_t code, UserInfo userInfo)
    : domain_(std::move(domain)), code_(code), userInfo_(std::move(userInfo)) {}

PlatformError PlatformError::posix(int errnoValue, const std::string& context) {
  char buffer[256];
  const char* text = strerror_r(errnoValue, buffer, sizeof buffer);
  std::string description = context.empty() ? std::string(text) : context + ": " + text;
  return PlatformError(PlatformError::posixDomain, errnoValue, {{userinfo::localizedDescription, description}});
}

bool isCancellationError(const std::exception_ptr& error) {
  if (!error) return false;
  try {
    std::rethrow_exception(error);
  } catch (const CancellationError&) {
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace platform
