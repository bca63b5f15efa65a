#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "kit/ui/menu.h"

namespace engine {
class PasteboardController;
}

namespace app {

inline const std::string clearFormattingNowDisabledToolTip =
    "Disabled because there is no text on the clipboard or you already cleared the formatting";
inline const std::string automaticallyClearFormattingToolTip =
    "When enabled, automatically clears the formatting of text on the clipboard";

// What the menu depends on besides the preferences and the engine.
struct StatusMenuState {
  // The modifier keys held while the menu opens.
  uint64_t modifierFlags = 0;
  // Shift and Super were held when the program started.
  bool isDebugModifierChordHeld = false;
  std::function<void()> showDebugWindow;
};

// Empties the menu and builds it again from the current settings, the engine and the held keys.
void buildStatusMenu(kit::ZvMenu& menu, engine::PasteboardController& engine, const StatusMenuState& state);

// "About", "Send Feedback…", "Tips", "FAQ", "Website", "Share App", "More Apps by Me".
kit::ZvMenu* makeMoreMenu(QWidget* parent);

}  // namespace app
