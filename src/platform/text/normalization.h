#pragma once

#include <string_view>

namespace platform {

// True when the two texts are the same by Unicode canonical equivalence: a letter with a combining accent equals
// the same letter precomposed; letter case still counts. Texts that are not valid UTF-8 are equal only byte for
// byte.
bool isCanonicallyEquivalent(std::string_view a, std::string_view b);

}  // namespace platform
