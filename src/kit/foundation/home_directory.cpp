#include "kit/foundation/home_directory.h"

#include "platform/core/user_account.h"

namespace kit {

const std::filesystem::path& realHomeDirectory() {
  static const std::filesystem::path home = [] {
    if (auto home = platform::accountHomeDirectory()) return std::filesystem::path(*home);
    return platform::homeDirectory().value_or("/");
  }();
  return home;
}

}  // namespace kit
