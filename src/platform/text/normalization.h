#pragma once

#include <string>
#include <string_view>

namespace platform {

// True when the two texts are the same by Unicode canonical equivalence: a letter with a combining accent equals
// the same letter precomposed; letter case still counts. Texts that are not valid UTF-8 are equal only byte for
// byte.
bool isCanonicallyEquivalent(std::string_view a, std::string_view b);

// The text in precomposed form (NFC); text that is not valid UTF-8 as it is.
std::string canonicallyComposed(std::string_view text);

// Unicode canonical ordering: the code points of the precomposed forms in order, so canonically equivalent texts sort
// as one; upper case comes before lower case.
bool canonicallyPrecedes(std::string_view a, std::string_view b);

}  // namespace platform
