#include "platform/js/js_virtual_machine.h"

// Exported by the library, but declared in none of its installed headers: the library's names.
// NOLINTBEGIN(readability-identifier-naming)
extern "C" {
typedef bool (*JSShouldTerminateCallback)(JSContextRef context, void* callbackContext);
void JSContextGroupSetExecutionTimeLimit(JSContextGroupRef group, double limitInSeconds,
                                         JSShouldTerminateCallback callback, void* callbackContext);
void JSContextGroupClearExecutionTimeLimit(JSContextGroupRef group);
}
// NOLINTEND(readability-identifier-naming)

#if defined(__SANITIZE_THREAD__)
#define QUILLET_THREAD_SANITIZER 1
#elif defined(__SANITIZE_ADDRESS__)
#define QUILLET_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define QUILLET_THREAD_SANITIZER 1
#elif __has_feature(address_sanitizer)
#define QUILLET_ADDRESS_SANITIZER 1
#endif
#endif

#ifdef QUILLET_ADDRESS_SANITIZER
// The engine's background compiler threads can still hold a few hundred bytes when the process exits.
extern "C" const char* __lsan_default_suppressions() { return "leak:libjavascriptcoregtk-4.1.so\n"; }
#endif

#ifdef QUILLET_THREAD_SANITIZER
#include <cstdlib>

// The engine is not built for the thread sanitizer: its own atomics and allocator look like races.
extern "C" const char* __tsan_default_suppressions() { return "race:libjavascriptcoregtk-4.1.so\n"; }
#endif

namespace platform {

namespace {

void configureEngineOnce() {
#ifdef QUILLET_THREAD_SANITIZER
  // The thread sanitizer holds signals back until a thread reaches instrumented code, which compiled script
  // loops never do: the engine's signal-driven interrupts, and with them the time limit, would never arrive.
  // Polled interrupts do. The engine reads its options when it makes its first machine.
  // NOLINTNEXTLINE(concurrency-mt-unsafe): thread-sanitizer builds only, once, before the first machine is made
  static const bool configured = setenv("JSC_usePollingTraps", "true", 0) == 0;
  (void)configured;
#endif
}

}  // namespace

std::shared_ptr<JSVirtualMachine> JSVirtualMachine::create() {
  configureEngineOnce();
  JSContextGroupRef group = JSContextGroupCreate();
  if (!group) return nullptr;
  return std::make_shared<JSVirtualMachine>(Private{}, group);
}

JSVirtualMachine::~JSVirtualMachine() {
  JSContextGroupClearExecutionTimeLimit(group_);
  JSContextGroupRelease(group_);
}

void JSVirtualMachine::setExecutionTimeLimit(std::chrono::duration<double> limit) {
  limit_ = limit;
  JSContextGroupSetExecutionTimeLimit(group_, limit.count(), &JSVirtualMachine::shouldTerminate, this);
}

bool JSVirtualMachine::shouldTerminate(JSContextRef, void* machine) {
  static_cast<JSVirtualMachine*>(machine)->exceededTimeLimit_.store(true);
  return true;
}

}  // namespace platform
