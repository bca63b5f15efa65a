#pragma once

#include "platform/system/file_previewer.h"
#include "platform/url/url.h"

class QWidget;

namespace kit {

// The preview panel as a toggle: closes the desktop's file previewer when it is shown, else shows the file in it,
// above `window` when one is given. Throws a GeneralError "File previews are not available" when the desktop has
// no previewer, and one with the previewer's message when it fails.
void togglePreviewPanel(const platform::Url& file, const QWidget* window = nullptr,
                        platform::FilePreviewer& previewer = platform::FilePreviewer::shared());

}  // namespace kit
