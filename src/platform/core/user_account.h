#pragma once

#include <optional>
#include <string>

namespace platform {

// The home directory that the user database gives the process's user; none when the user has no entry there.
std::optional<std::string> accountHomeDirectory();

}  // namespace platform
