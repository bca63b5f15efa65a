#include "app/shortcut_commands.h"

#include "engine/copy_and_clear.h"
#include "engine/shortcut_names.h"
#include "kit/shortcuts/handlers.h"

namespace app {

void bindShortcutCommands(engine::PasteboardController& controller) {
  namespace Names = kit::GlobalShortcuts::Names;
  auto weak = controller.weakSelf();
  kit::GlobalShortcuts::onKeyUp(Names::copyAndClearFormatting(), [weak] {
    if (auto self = weak.lock()) engine::copyAndClearFormatting(*self);
  });
  kit::GlobalShortcuts::onKeyUp(Names::clearFormatting(), [weak] {
    if (auto self = weak.lock()) engine::clearFormattingAndPaste(*self);
  });
  kit::GlobalShortcuts::onKeyUp(Names::toggleAutomaticallyClearFormatting(),
                                [] { engine::toggleAutomaticallyClearFormatting(); });
}

}  // namespace app
