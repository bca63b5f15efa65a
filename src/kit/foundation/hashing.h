#pragma once

#include "platform/core/hashing.h"

namespace kit {

using platform::hashCombine;

}  // namespace kit
