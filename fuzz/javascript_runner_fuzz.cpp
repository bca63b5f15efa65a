#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/core/error.h"
#include "script_worker/javascript_runner.h"

// Arbitrary bytes as a user script, run the way the script worker runs it: the runner must give a text,
// nothing, or one of its errors, and never run for longer than its time limit. One runner serves every input,
// as the worker's serves every copy.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static engine::JavaScriptRunner runner;
  const std::string code(reinterpret_cast<const char*>(data), size);
  try {
    runner.run(
        code, "Fuzzed \xe2\x80\x9ctext\xe2\x80\x9d\n\t with a tab", std::string("org.example.App"),
        [](const std::string&) {}, engine::JavaScriptTimeLimit(0.05));
  } catch (const platform::Error&) {
  }
  return 0;
}
