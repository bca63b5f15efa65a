// Decodes any bytes as a stored shortcut; whatever decodes must be a storable value that reads back the same.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "kit/shortcuts/key_display_names.h"
#include "kit/shortcuts/shortcut.h"

namespace {
void require(bool condition) {
  if (!condition) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  auto shortcut = kit::GlobalShortcuts::decodeShortcut(text);
  if (!shortcut) return 0;
  require(shortcut->carbonKeyCode >= 0 && shortcut->carbonKeyCode <= 4294967295);
  require(shortcut->carbonModifiers >= 0 && shortcut->carbonModifiers <= 4294967295);
  require(kit::GlobalShortcuts::decodeShortcut(kit::GlobalShortcuts::encodeShortcut(*shortcut)) == shortcut);
  // Showing a stored value never fails, whatever its key code.
  require(!kit::GlobalShortcuts::description(*shortcut).empty());
  kit::GlobalShortcuts::keyCombination(*shortcut);
  return 0;
}
