#include "kit/ui/progress_spinner_sheet.h"

#include <QMetaObject>
#include <QProgressBar>
#include <QVBoxLayout>
#include <algorithm>

#include "kit/ui/labels.h"
#include "kit/ui/view_layout.h"

namespace kit {

namespace {
constexpr int maximumMessageWidth = 300;
constexpr QMargins containerInsets(80, 30, 80, 30);  // left, top, right, bottom
}  // namespace

ProgressSpinnerSheet::ProgressSpinnerSheet()
    : spinner_(new QProgressBar), label_(new CocoaLabel), container_(new QWidget(this)) {
  setWindowFlags(Qt::Sheet | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  spinner_->setRange(0, 0);  // busy: no fraction known
  spinner_->setTextVisible(false);
  label_->hide();
  label_->setWordWrap(true);
  label_->setMaximumWidth(maximumMessageWidth);
  label_->setAlignment(Qt::AlignHCenter);
  label_->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Preferred);
  auto* stack = new QVBoxLayout(container_);
  stack->setSpacing(20);
  stack->setContentsMargins(0, 0, 0, 0);
  stack->addWidget(spinner_, 0, Qt::AlignHCenter);
  stack->addWidget(label_, 0, Qt::AlignHCenter);
  constrainEdges(*container_, *this, containerInsets);
  fitToContent();
}

void ProgressSpinnerSheet::fitToContent() {
  QLayout& stack = *container_->layout();
  stack.invalidate();
  QSize content = stack.sizeHint();
  if (stack.hasHeightForWidth()) content.setHeight(std::max(content.height(), stack.heightForWidth(content.width())));
  setFixedSize(content.grownBy(containerInsets));
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
  fitToContent();
}

void ProgressSpinnerSheet::reject() {
  hide();
  if (onCancel) onCancel();
}

}  // namespace kit
