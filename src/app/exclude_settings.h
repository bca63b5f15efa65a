#pragma once

class QWidget;

namespace app {

// The Exclude tab.
QWidget* makeExcludeSettings();

}  // namespace app
