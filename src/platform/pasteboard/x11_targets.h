#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/pasteboard/pasteboard.h"

namespace platform::x11targets {

inline constexpr const char* concealedType = "org.nspasteboard.ConcealedType";
inline constexpr const char* passwordHint = "x-kde-passwordManagerHint";

// Reads the raw bytes of one X11 target (a format name as Qt lists it); none when it cannot be read.
using TargetReader = std::function<std::optional<Bytes>(const std::string& target)>;

// The offered targets without the selection protocol's own (TARGETS, MULTIPLE, TIMESTAMP, ...).
std::vector<std::string> contentTargets(const std::vector<std::string>& formats);

// The logical types of the offered targets: the logical types in the order of their first matching target,
// then every remaining target by name. The password managers' secret hint adds the concealed marker.
std::vector<std::string> logicalTypes(const std::vector<std::string>& targets, const TargetReader& read);

// The data of a logical type, converted from the first target that carries it.
std::optional<Bytes> readType(const std::string& type, const std::vector<std::string>& targets,
                              const TargetReader& read);

// The offered targets that carry `types` (logical types or other names), plus those the list of logical types itself
// needs, without images: what to read of a new content before deciding on it.
std::vector<std::string> readAheadTargets(const std::vector<std::string>& targets,
                                          const std::vector<std::string>& types);

// The X11 targets that carry `entries`, in order, each with its bytes.
std::vector<PasteboardEntry> targetsForWrite(const std::vector<PasteboardEntry>& entries);

}  // namespace platform::x11targets
