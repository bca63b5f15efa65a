#pragma once

#include <set>

namespace kit {

// The special keys F1 to F35, as the toolkit names them (Qt::Key, the specialKey of platform::Event). Made once.
const std::set<int>& functionKeys();

}  // namespace kit
