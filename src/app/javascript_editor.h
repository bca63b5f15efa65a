#pragma once

#include <functional>

class QWidget;

namespace app {

// Shows the editor of the user's script over the settings window; `onClose` runs once it has closed.
// The editor is not part of this version yet: nothing opens, and `onClose` runs at once.
void presentJavaScriptEditor(QWidget* settingsWindow, std::function<void()> onClose);

}  // namespace app
