#pragma once

#include <optional>
#include <string>

#include "platform/system/keyboard_layout.h"

namespace kit {

// The keyboard input source in use, as the debug information names it.
struct KeyboardInputSource {
  // A source without an identifier gets a fresh UUID in its place, one without a name "<Unknown>".
  explicit KeyboardInputSource(const platform::InputSource& source);

  std::string id;
  std::string localizedName;
  // The mode of an input method; a keyboard layout of the X server has none.
  std::optional<std::string> inputModeID;

  // "English (US) (us)": the name, then the identifier in parentheses.
  std::string description() const;
};

}  // namespace kit
