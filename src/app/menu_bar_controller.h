#pragma once

// The status item's controller lives with the status item.
#include "app/status_item.h"
