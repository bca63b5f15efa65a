#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform {

// Where a detached program's standard output goes: ours, or nowhere (so that whoever reads ours to its end is not
// held up by the program). Its standard error is always ours.
enum class DetachedOutput { inherited, discarded };

// Starts a program apart from this one: it is never waited for and outlives us. Its standard input reads nothing
// (/dev/null). Returns the reason when it could not be started, nothing when it was.
std::optional<std::string> startDetached(const std::string& program, const std::vector<std::string>& arguments = {},
                                         DetachedOutput output = DetachedOutput::inherited);

}  // namespace platform
