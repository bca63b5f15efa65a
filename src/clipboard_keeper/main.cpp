// quillet-clipboard-keeper: serves Quillet's last copy after Quillet has quit, until another client copies. Quillet
// starts it, detached, with the copy on descriptor 3 and the time its copy took the clipboard as the argument; it is
// not meant to be started by hand.
#include <cstdlib>

#include "platform/pasteboard/x11_clipboard_keeper.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  return platform::clipboardkeeper::run(static_cast<uint32_t>(std::strtoul(argv[1], nullptr, 10)));
}
