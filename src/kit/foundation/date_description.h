#pragma once

#include <chrono>
#include <string>

namespace kit {

// A point in time as the default date description shows it, in UTC: "2025-06-01 09:30:00 +0000".
std::string dateDescription(std::chrono::system_clock::time_point date);

}  // namespace kit
