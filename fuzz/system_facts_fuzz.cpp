// Reads any bytes as the system files the application's facts come from (os-release, /proc status, stat and
// meminfo, DMI and device-tree models) and as a build number; checks the bounds the debug texts rely on.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "kit/app/app_facts.h"
#include "kit/app/system_memory.h"
#include "platform/system/process_tree.h"

namespace {
void require(bool condition) {
  if (!condition) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (std::string_view variable : {"NAME", "VERSION_ID", "ID"}) {
    if (auto value = kit::Device::osReleaseValue(text, variable)) require(value->size() <= size);
  }
  for (std::string_view field : {"VmRSS", "MemAvailable"}) {
    if (auto bytes = kit::SystemMemory::kilobyteField(text, field)) {
      require(*bytes >= 0);
      require(!kit::SystemMemory::memoryText(*bytes).empty());
    }
  }
  const std::string model = kit::Device::hardwareModelFrom(std::string(text), std::string(text));
  require(model == "<Unknown model>" || model.size() <= size);
  if (auto build = kit::AppFacts::parseBuildNumber(text)) require(*build >= 0);
  platform::parseProcessStat(text);
  return 0;
}
