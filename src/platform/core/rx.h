#pragma once

// Publishers: everything of platform::rx in one include.
#include "platform/core/rx_cancellable.h"
#include "platform/core/rx_publisher.h"
#include "platform/core/rx_sources.h"
#include "platform/core/rx_subjects.h"
