#include "kit/ui/progress_spinner_sheet.h"

#include <QMetaObject>
#include <QProgressBar>
#include <QVBoxLayout>

#include "kit/ui/labels.h"

namespace kit {

namespace {
constexpr int maximumMessageWidth = 300;
}

ProgressSpinnerSheet::ProgressSpinnerSheet()
    : spinner_(new QProgressBar(this)), label_(new CocoaLabel({}, this)), container_(new QVBoxLayout(this)) {
  setWindowFlags(Qt::Sheet | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  spinner_->setRange(0, 0);  // busy: no fraction known
  spinner_->setTextVisible(false);
  label_->hide();
  label_->setWordWrap(true);
  label_->setMaximumWidth(maximumMessageWidth);
  label_->setAlignment(Qt::AlignHCenter);
  label_->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Preferred);
  container_->setSpacing(20);
  container_->setContentsMargins(80, 30, 80, 30);
  container_->addWidget(spinner_, 0, Qt::AlignHCenter);
  container_->addWidget(label_, 0, Qt::AlignHCenter);
  container_->setSizeConstraint(QLayout::SetFixedSize);
}

void ProgressSpinnerSheet::present(QWidget& presenterWindow) {
  presenterWindow_ = &presenterWindow;
  setParent(&presenterWindow, windowFlags());
  setWindowModality(Qt::WindowModal);
  spinner_->setRange(0, 0);
  isShown_ = true;
  show();
}

void ProgressSpinnerSheet::hide() {
  QMetaObject::invokeMethod(
      this,
      [this] {
        if (presenterWindow_) QDialog::done(QDialog::Rejected);
        spinner_->setRange(0, 1);  // stops the busy animation
        isShown_ = false;
        text_.clear();
        applyText();
      },
      Qt::QueuedConnection);
}

void ProgressSpinnerSheet::setText(const QString& text) {
  text_ = text;
  applyText();
}

void ProgressSpinnerSheet::applyText() {
  if (text_.isEmpty()) {
    label_->hide();
    label_->clear();
  } else {
    label_->setText(text_);
    label_->show();
  }
}

void ProgressSpinnerSheet::reject() {
  hide();
  if (onCancel) onCancel();
}

}  // namespace kit
