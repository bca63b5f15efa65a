// Arbitrary bytes as a preferences file: reading never crashes or hangs, whatever the file holds, and
// whatever is read can be written and read back unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "engine/preference_keys.h"
#include "kit/preferences/url_bridge.h"
#include "kit/preferences/value_bridges.h"
#include "platform/prefs/plist_codec.h"

using namespace kit::Preferences;

namespace {

template <class T>
void convert(const PlistValue& value) {
  (void)toValue<T>(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto dict = platform::parsePropertyListDictionary(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!dict) return 0;
  for (const auto& [key, value] : *dict) {
    convert<bool>(value);
    convert<int>(value);
    convert<double>(value);
    convert<std::string>(value);
    convert<std::optional<Date>>(value);
    convert<std::vector<std::string>>(value);
    convert<std::vector<kit::BundleIdentifier>>(value);
    convert<std::map<int, std::string>>(value);
    convert<std::set<int>>(value);
    convert<std::vector<QUuid>>(value);
    convert<std::optional<platform::Url>>(value);
  }
  auto again = platform::parsePropertyListDictionary(platform::xmlPropertyList(*dict));
  if (!again) std::abort();
  return 0;
}
