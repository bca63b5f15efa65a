// Arbitrary bytes where the program reads values others may have written: the Boolean property list of a file's
// extended attribute and the colour archive of a preference. Reading never crashes or hangs; a colour that reads
// can be written and read back equal.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "kit/preferences/color_bridge.h"
#include "platform/prefs/plist_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  (void)platform::parsePropertyListBoolean(bytes);
  if (auto color = kit::Preferences::ColorBridge::deserialize(kit::Preferences::Data{std::string(bytes)})) {
    auto archive = kit::Preferences::ColorBridge::serialize(color);
    if (!archive || kit::Preferences::ColorBridge::deserialize(archive) != color) std::abort();
  }
  return 0;
}
