#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace platform {

struct ProcessStat {
  int32_t parentPid = 0;
  int32_t processGroup = 0;
};

// The parent and the process group from a /proc/PID/stat line (fields 4 and 5, after the command name in
// parentheses, which may itself hold parentheses and blanks). None when the line does not have them.
std::optional<ProcessStat> parseProcessStat(std::string_view line);
// /proc/PID/stat of a running process; none when it cannot be read.
std::optional<ProcessStat> processStat(int32_t pid);

// The process at the top of `pid`'s line of ancestors, below the init process: parents are followed while they
// are above 1. When the process reached has no readable process group, `pid` itself. None when a process on
// the way cannot be looked up.
std::optional<int32_t> topMostAncestor(int32_t pid);

}  // namespace platform
