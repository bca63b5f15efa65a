#include "kit/foundation/sequence_utilities.h"

#include "platform/core/executor.h"

namespace kit {

void performThenAsyncOnMain(const std::function<void()>& handler, std::function<void()> followUp) {
  handler();
  platform::mainExecutor().post(std::move(followUp));
}

}  // namespace kit
