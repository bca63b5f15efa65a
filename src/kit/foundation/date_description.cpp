#include "kit/foundation/date_description.h"

#include <ctime>

namespace kit {

std::string dateDescription(std::chrono::system_clock::time_point date) {
  auto seconds = std::chrono::floor<std::chrono::seconds>(date);
  std::time_t time = std::chrono::system_clock::to_time_t(seconds);
  std::tm parts{};
  gmtime_r(&time, &parts);
  char buffer[64];
  size_t length = std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S +0000", &parts);
  return std::string(buffer, length);
}

}  // namespace kit
