#include "kit/shortcuts/modifier_flag_set.h"

#include <ostream>

#include "platform/system/modifier_flags.h"

namespace kit {

std::string ModifierFlags::description() const { return symbolicDescription(*this); }

std::ostream& operator<<(std::ostream& out, ModifierFlags flags) { return out << symbolicDescription(flags); }

std::string symbolicDescription(ModifierFlags flags) {
  namespace Flag = platform::ModifierFlag;
  std::string text;
  if (flags.contains(Flag::command)) text += "Ctrl+";
  if (flags.contains(Flag::option)) text += "Alt+";
  if (flags.contains(Flag::shift)) text += "Shift+";
  if (flags.contains(Flag::control)) text += "Super+";
  if (flags.contains(Flag::function)) text += functionKeyGlobeSymbol() + "+";
  return text;
}

const std::string& functionKeyGlobeSymbol() {
  static const std::string symbol = "\U0001F310\uFE0E";
  return symbol;
}

}  // namespace kit
