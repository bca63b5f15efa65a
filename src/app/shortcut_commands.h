#pragma once

namespace engine {
class PasteboardController;
}

namespace app {

// Binds the key-up handlers of the three shortcut names to the clipboard commands on `controller`: copy and
// clear, clear and paste, and the toggle of automatic clearing. Called once at start-up; the handlers stay until
// kit::GlobalShortcuts::removeAllHandlers() and do nothing once the controller is gone.
void bindShortcutCommands(engine::PasteboardController& controller);

}  // namespace app
