#pragma once

#include <optional>
#include <string>

namespace kit {

// Spells a time span in whole seconds with abbreviated units, from the largest that is not zero down to seconds:
// "0s", "42s", "3m 5s", "2h 0m 7s", "1d 4h 0m 0s"; a span below zero begins with a minus sign ("-3m 5s").
class DurationFormatter {
 public:
  // None for a span that is not a number, or beyond what 64-bit seconds hold.
  std::optional<std::string> string(double seconds) const;
};

namespace ZvApp {
// The formatter that the debug information gives the running time with.
const DurationFormatter& durationFormatter();
}  // namespace ZvApp

}  // namespace kit
