#pragma once

#include <filesystem>

namespace platform {

// The file of the program this process runs, as the system names it; empty when it cannot be read. Helper programs
// installed beside ours are found from its folder.
std::filesystem::path ownExecutable();

}  // namespace platform
