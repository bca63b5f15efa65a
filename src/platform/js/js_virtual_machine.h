#pragma once

#include <JavaScriptCore/JavaScript.h>

#include <atomic>
#include <chrono>
#include <memory>

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
  void setExecutionTimeLimit(std::chrono::duration<double> limit);
  bool didExceedTimeLimit() const { return exceededTimeLimit_.load(); }

  JSContextGroupRef group() const { return group_; }

 private:
  static bool shouldTerminate(JSContextRef context, void* machine);

  JSContextGroupRef group_;
  std::atomic<bool> exceededTimeLimit_{false};
};

}  // namespace platform
