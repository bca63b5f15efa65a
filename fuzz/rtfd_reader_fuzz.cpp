// Any bytes give text or nothing.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/text/rtfd_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string input = "rtfd";
  input.append(reinterpret_cast<const char*>(data), size);
  (void)platform::readRtfd(std::string_view(reinterpret_cast<const char*>(data), size));
  (void)platform::readRtfd(input);
  return 0;
}
