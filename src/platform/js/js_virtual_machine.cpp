#include "platform/js/js_virtual_machine.h"

// Exported by the library, but declared in none of its installed headers.
extern "C" {
typedef bool (*JSShouldTerminateCallback)(JSContextRef context, void* callbackContext);
void JSContextGroupSetExecutionTimeLimit(JSContextGroupRef group, double limitInSeconds,
                                         JSShouldTerminateCallback callback, void* callbackContext);
void JSContextGroupClearExecutionTimeLimit(JSContextGroupRef group);
}

namespace platform {

std::shared_ptr<JSVirtualMachine> JSVirtualMachine::create() {
  JSContextGroupRef group = JSContextGroupCreate();
  if (!group) return nullptr;
  return std::make_shared<JSVirtualMachine>(Private{}, group);
}

JSVirtualMachine::~JSVirtualMachine() {
  JSContextGroupClearExecutionTimeLimit(group_);
  JSContextGroupRelease(group_);
}

void JSVirtualMachine::setExecutionTimeLimit(std::chrono::duration<double> limit) {
  JSContextGroupSetExecutionTimeLimit(group_, limit.count(), &JSVirtualMachine::shouldTerminate, this);
}

bool JSVirtualMachine::shouldTerminate(JSContextRef, void* machine) {
  static_cast<JSVirtualMachine*>(machine)->exceededTimeLimit_.store(true);
  return true;
}

}  // namespace platform
