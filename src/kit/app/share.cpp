#include "kit/app/share.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "kit/app/zv_kit.h"
#include "kit/foundation/alert.h"
#include "kit/foundation/url_query.h"
#include "kit/foundation/zv_app.h"
#include "kit/ui/copy_button.h"
#include "kit/ui/hosting_window.h"
#include "kit/ui/link_copy.h"
#include "kit/ui/qr_code_view.h"
#include "kit/ui/session_restoration.h"
#include "kit/ui/url_opening.h"
#include "kit/ui/window_access.h"
#include "kit/ui/window_presentation.h"
#include "platform/core/executor.h"

namespace kit {

namespace {

constexpr int screenWidth = 340;
constexpr int qrCodeMaximumSide = 300;

}  // namespace

platform::Url shareLink() { return ZvKit::Metadata::current().website; }

platform::Url emailLinkUrl(const platform::Url& link) {
  return urlWithQuery("mailto:", {{"body", link.absoluteString()}}).value_or(link);
}

ShareAppScreen::ShareAppScreen(platform::Pasteboard& pasteboard, QWidget* parent) : QWidget(parent) {
  const platform::Url link = shareLink();

  auto* layout = new QVBoxLayout(this);
  auto* row = new QHBoxLayout;
  copyButton_ = new CopyButton([&pasteboard, link] { copyUrlToGeneral(link, {}, pasteboard); },
                               QStringLiteral("Copy Link"), this);
  copyButton_->setTitleOnly(true);  // as every label of the window
  auto* shareButton = new QPushButton("Share Link", this);
  auto* shareMenu = new QMenu(shareButton);
  shareMenu->addAction("Email Link", [link] { openUrl(emailLinkUrl(link)); });
  shareMenu->addAction("Copy Link", [&pasteboard, link] { copyUrlToGeneral(link, {}, pasteboard); });
  shareButton->setMenu(shareMenu);
  auto* openButton = new QPushButton("Open Link", this);
  connect(openButton, &QPushButton::clicked, this, [link] { openUrl(link); });
  row->addWidget(copyButton_);
  row->addStretch();
  row->addWidget(shareButton);
  row->addStretch();
  row->addWidget(openButton);
  layout->addLayout(row);

  auto* qrCode = new QRCodeView(link.absoluteString(), QRCodeErrorCorrectionLevel::medium, this);
  qrCode->setMaximumSize(qrCodeMaximumSide, qrCodeMaximumSide);
  qrCode->setMinimumSize(qrCodeMaximumSide - 40, qrCodeMaximumSide - 40);
  layout->addWidget(qrCode, 0, Qt::AlignCenter);

  setFixedWidth(screenWidth);
  adjustSize();
  setFixedSize(size());
  // The window it lands in floats above the others; it is neither minimised nor brought back with the session.
  setHostingWindowLevel(*this, WindowLevel::floating);
  setWindowIsMinimizable(*this, false);
  setWindowIsRestorable(*this, false);
}

ShareAppScreen* ShareAppScreen::showWindow(platform::Pasteboard& pasteboard) {
  auto* screen = new ShareAppScreen(pasteboard);
  auto* window =
      new HostingWindow(screen, {.constrainWindowToScreen = false, .canBecomeKey = true, .closeOnEsc = false});
  window->setWindowTitle(QString::fromStdString("Share " + ZvApp::name()));
  // Not resizable: as large as its content, without a maximize button.
  window->setWindowFlag(Qt::WindowMaximizeButtonHint, false);
  window->setFixedSize(screen->size());
  if (QScreen* display = QGuiApplication::primaryScreen()) {
    window->move(display->availableGeometry().center() - window->rect().center());
  }
  activateApp();
  platform::spawn(platform::mainExecutor(), [window = QPointer<QWidget>(window)]() -> platform::Task<void> {
    if (window) co_await kit::showWindow(*window);
  });
  return screen;
}

void shareAppMenuItemAction() {
  platform::mainExecutor().post([] { ShareAppScreen::showWindow(); });
}

}  // namespace kit
