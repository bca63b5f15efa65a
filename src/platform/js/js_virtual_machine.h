#pragma once

#include <JavaScriptCore/JavaScript.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <optional>

namespace platform {

// One JavaScript virtual machine (a context group): its own heap, shared by the contexts made on it.
class JSVirtualMachine {
  struct Private {};

 public:
  // Null when the engine cannot make one.
  static std::shared_ptr<JSVirtualMachine> create();

  JSVirtualMachine(Private, JSContextGroupRef group) : group_(group) {}
  ~JSVirtualMachine();
  JSVirtualMachine(const JSVirtualMachine&) = delete;
  JSVirtualMachine& operator=(const JSVirtualMachine&) = delete;

  // Scripts entering the machine after this are stopped once they run longer than `limit`: the
  // evaluation ends with an exception that scripts cannot catch, and didExceedTimeLimit() turns true.
  // From then on the machine runs no more script code: evaluations give no value, property reads give
  // undefined and conversions give nothing, so that getters of a thrown object cannot stall the caller.
  void setExecutionTimeLimit(std::chrono::duration<double> limit);
  std::optional<std::chrono::duration<double>> executionTimeLimit() const { return limit_; }
  bool didExceedTimeLimit() const { return exceededTimeLimit_.load(); }

  JSContextGroupRef group() const { return group_; }

 private:
  static bool shouldTerminate(JSContextRef context, void* machine);

  JSContextGroupRef group_;
  std::optional<std::chrono::duration<double>> limit_;
  std::atomic<bool> exceededTimeLimit_{false};
};

}  // namespace platform
