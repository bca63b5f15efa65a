#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// Memory figures of this process and of the machine, read from /proc.
namespace kit::SystemMemory {

// The resident memory of this process (VmRSS), in bytes.
std::optional<int64_t> residentBytes();
// The memory the machine can still hand out without swapping (MemAvailable), in bytes.
std::optional<int64_t> availableBytes();
// Makes availableBytes() read this file instead of /proc/meminfo; none goes back to /proc/meminfo.
void setMeminfoPathForTesting(std::optional<std::filesystem::path> path);
// A "<Name>: <n> kB" value of a /proc status or meminfo text, in bytes.
std::optional<int64_t> kilobyteField(std::string_view text, std::string_view name);

// A byte count in the memory style, in the POSIX locale whatever the user's is: "Zero KB", "512 bytes", "24 KB", "24.5
// MB", "1.25 GB" (units of 1024).
std::string memoryText(int64_t bytes);

}  // namespace kit::SystemMemory
