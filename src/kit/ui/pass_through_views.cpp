#include "kit/ui/pass_through_views.h"

#include "kit/foundation/verbatim_title.h"

namespace kit {

NonInteractiveView::NonInteractiveView(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

NonInteractiveImageView::NonInteractiveImageView(QWidget* parent) : QLabel(parent) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

LabelButton::LabelButton(const QString& title, QWidget* parent) : QPushButton(verbatimTitle(title), parent) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFocusPolicy(Qt::NoFocus);
}

}  // namespace kit
