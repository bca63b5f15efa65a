#pragma once

#include "kit/foundation/alert.h"
#include "platform/core/task.h"

namespace kit {

// Shows the alert application-modal from a later turn of the main queue, once the calling task has suspended,
// and ends with the user's answer.
platform::Task<AlertResponse> runAlert(Alert alert);

}  // namespace kit
