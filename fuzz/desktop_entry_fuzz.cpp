// Parses any bytes as a desktop file and its Exec line; checks the invariants the identity lookups rely on.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/system/desktop_entry.h"

namespace {
void require(bool condition) {
  if (!condition) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (std::string_view locale : {"C", "de_DE.UTF-8", "sr_RS@latin", "pt_BR.UTF-8@x"}) {
    auto entry = platform::parseDesktopEntry(text, locale);
    if (entry) {
      // Values come from single lines and only shrink when unescaped.
      require(entry->name.size() <= size && entry->exec.size() <= size && entry->icon.size() <= size);
      require(platform::programOfExec(entry->exec).size() <= entry->exec.size());
      platform::programOfExec(entry->tryExec);
    }
  }
  require(platform::programOfExec(text).size() <= size);
  platform::desktopEntryIdForRelativePath(std::string(text));
  return 0;
}
