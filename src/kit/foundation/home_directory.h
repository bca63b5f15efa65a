#pragma once

#include <filesystem>

namespace kit {

// The user's home folder as the user database gives it, whatever HOME says (inside a sandbox HOME may name the
// sandbox's own folder). Worked out once. Only a user without an entry there gets HOME, else "/".
const std::filesystem::path& realHomeDirectory();

}  // namespace kit
