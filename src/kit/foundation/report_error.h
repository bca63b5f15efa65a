#pragma once

#include <exception>
#include <source_location>

#include "platform/core/error.h"

namespace kit {

// Process-wide application services of the kit.
struct ZvApp {
  // The hook for failures that can be survived but should not happen: drops cancellations and ignored
  // errors, and logs the rest so that none vanish.
  static void reportError(const std::exception_ptr& error, platform::UserInfo userInfo = {},
                          std::source_location location = std::source_location::current());
  static void reportError(const platform::Error& error, platform::UserInfo userInfo = {},
                          std::source_location location = std::source_location::current());
};

}  // namespace kit
