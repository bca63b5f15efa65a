#pragma once

namespace platform {

// True for an uppercase or lowercase letter (general category Lu or Ll) of any script.
bool isCasedLetter(char32_t scalar);

}  // namespace platform
