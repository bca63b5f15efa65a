#include "kit/ui/preview_panel.h"

#include <QWidget>

#include "kit/foundation/general_error.h"

namespace kit {

void togglePreviewPanel(const platform::Url& file, const QWidget* window, platform::FilePreviewer& previewer) {
  if (!previewer.isAvailable()) {
    throw GeneralError("File previews are not available",
                       "Install a file previewer for your desktop to preview files from here.");
  }
  const bool closing = previewer.isVisible();
  const uint32_t parent = window != nullptr ? static_cast<uint32_t>(window->window()->winId()) : 0;
  if (auto failure = closing ? previewer.close() : previewer.show(file.absoluteString(), parent)) {
    throw GeneralError(closing ? "The preview could not be closed" : "The file could not be previewed", *failure);
  }
}

}  // namespace kit
