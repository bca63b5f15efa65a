#pragma once

#include <QWidget>

#include "platform/pasteboard/pasteboard.h"
#include "platform/url/url.h"

namespace kit {

class CopyButton;

// The address offered for sharing the application: its store page when it has one (never the case in this
// build), else the product's page.
platform::Url shareLink();

// The "mailto:" address of an e-mail whose body is the link.
platform::Url emailLinkUrl(const platform::Url& link);

// The content of "Share <name>": the link as "Copy Link", "Share Link" (by e-mail, or copied) and "Open Link",
// and as a QR code.
class ShareAppScreen : public QWidget {
  Q_OBJECT

 public:
  explicit ShareAppScreen(platform::Pasteboard& pasteboard, QWidget* parent = nullptr);

  // A new window each time, centred on the screen and brought to the front. It floats above other windows,
  // cannot be minimised or resized, and Escape leaves it open. Answers the window's content, which goes with the
  // window when it is closed: hold it in a QPointer.
  static ShareAppScreen* showWindow(platform::Pasteboard& pasteboard = platform::generalPasteboard());

  CopyButton* copyButton() const { return copyButton_; }

 private:
  CopyButton* copyButton_ = nullptr;
};

// The action of a "Share App" menu item: a new share window, shown on a later turn of the main loop.
void shareAppMenuItemAction();

}  // namespace kit
