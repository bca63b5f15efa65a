#include "kit/app/system_memory.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <utility>

#include "kit/app/app_facts.h"
#include "platform/core/file_reading.h"

namespace kit::SystemMemory {

namespace {

std::string withDecimals(double value, int decimals) {
  std::string text = Locale::posix().toString(value, 'f', decimals).toStdString();
  if (text.find('.') != std::string::npos) {
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
  }
  return text;
}

std::filesystem::path& meminfoPath() {
  static std::filesystem::path path = "/proc/meminfo";
  return path;
}

}  // namespace

std::optional<int64_t> kilobyteField(std::string_view text, std::string_view name) {
  size_t position = 0;
  while (position < text.size()) {
    size_t end = text.find('\n', position);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(position, end - position);
    position = end + 1;
    if (line.size() <= name.size() || !line.starts_with(name) || line[name.size()] != ':') continue;
    line.remove_prefix(name.size() + 1);
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    int64_t kilobytes = 0;
    auto [rest, error] = std::from_chars(line.data(), line.data() + line.size(), kilobytes);
    if (error != std::errc() || kilobytes < 0 || kilobytes > std::numeric_limits<int64_t>::max() / 1024)
      return std::nullopt;
    return kilobytes * 1024;
  }
  return std::nullopt;
}

std::optional<int64_t> residentBytes() {
  return kilobyteField(platform::readWholeFileIfReadable("/proc/self/status").value_or(""), "VmRSS");
}

std::optional<int64_t> availableBytes() {
  return kilobyteField(platform::readWholeFileIfReadable(meminfoPath()).value_or(""), "MemAvailable");
}

void setMeminfoPathForTesting(std::optional<std::filesystem::path> path) {
  meminfoPath() = std::move(path).value_or("/proc/meminfo");
}

std::string memoryText(int64_t bytes) {
  if (bytes == 0) return "Zero KB";
  const double magnitude = std::fabs(static_cast<double>(bytes));
  if (magnitude < 1024) return std::to_string(bytes) + (magnitude == 1 ? " byte" : " bytes");
  const double value = static_cast<double>(bytes);
  if (magnitude < 1024.0 * 1024) return withDecimals(std::round(value / 1024), 0) + " KB";
  if (magnitude < 1024.0 * 1024 * 1024) return withDecimals(value / (1024.0 * 1024), 1) + " MB";
  return withDecimals(value / (1024.0 * 1024 * 1024), 2) + " GB";
}

}  // namespace kit::SystemMemory
