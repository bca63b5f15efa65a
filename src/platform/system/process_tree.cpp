#include "platform/system/process_tree.h"

#include <unistd.h>

#include <charconv>
#include <string>

#include "platform/core/file_reading.h"

namespace platform {

namespace {

// Far more than any real process tree is deep; only guards against a table that changes under the walk.
constexpr int maximumDepth = 4096;

std::string_view nextField(std::string_view& rest) {
  while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
  const size_t end = rest.find(' ');
  std::string_view field = rest.substr(0, end);
  rest.remove_prefix(end == std::string_view::npos ? rest.size() : end);
  return field;
}

std::optional<int32_t> parsePid(std::string_view text) {
  int32_t value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace

std::optional<ProcessStat> parseProcessStat(std::string_view line) {
  const size_t commandEnd = line.rfind(')');
  if (commandEnd == std::string_view::npos) return std::nullopt;
  std::string_view rest = line.substr(commandEnd + 1);
  nextField(rest);  // the state
  auto parent = parsePid(nextField(rest));
  auto group = parsePid(nextField(rest));
  if (!parent || !group) return std::nullopt;
  return ProcessStat{*parent, *group};
}

std::optional<ProcessStat> processStat(int32_t pid) {
  if (pid <= 0) return std::nullopt;
  auto text = readWholeFileIfReadable("/proc/" + std::to_string(pid) + "/stat");
  if (!text) return std::nullopt;
  return parseProcessStat(*text);
}

std::optional<int32_t> topMostAncestor(int32_t pid) {
  int32_t current = pid;
  for (int depth = 0; depth < maximumDepth; ++depth) {
    auto stat = processStat(current);
    if (!stat) return std::nullopt;
    if (stat->parentPid <= 1) return getpgid(current) >= 0 ? current : pid;
    current = stat->parentPid;
  }
  return std::nullopt;
}

}  // namespace platform
