#include "platform/system/x11_modifier_mapping.h"

#include <xcb/xcb_keysyms.h>

#include <memory>

#include "platform/system/xcb_reply.h"

namespace platform {

X11ModifierMapping X11ModifierMapping::read(xcb_connection_t* connection) {
  constexpr uint32_t superL = 0xffeb, superR = 0xffec;
  X11ModifierMapping result;
  auto mapping = xcbReply(xcb_get_modifier_mapping_reply(connection, xcb_get_modifier_mapping(connection), nullptr));
  if (!mapping) return result;
  std::unique_ptr<xcb_key_symbols_t, decltype(&xcb_key_symbols_free)> symbols(xcb_key_symbols_alloc(connection),
                                                                              &xcb_key_symbols_free);
  const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(mapping.get());
  uint16_t superMask = 0;
  for (int modifier = 0; modifier < 8; ++modifier) {
    for (int i = 0; i < mapping->keycodes_per_modifier; ++i) {
      xcb_keycode_t code = codes[modifier * mapping->keycodes_per_modifier + i];
      if (code == 0) continue;
      auto bit = static_cast<uint16_t>(1u << modifier);
      result.modifierBits.emplace(code, bit);
      for (int column = 0; symbols && column < 4; ++column) {
        xcb_keysym_t sym = xcb_key_symbols_get_keysym(symbols.get(), code, column);
        if (sym == superL || sym == superR) superMask |= bit;
      }
    }
  }
  if (superMask != 0) result.superMask = superMask;
  return result;
}

}  // namespace platform
