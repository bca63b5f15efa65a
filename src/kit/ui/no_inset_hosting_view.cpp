#include "kit/ui/no_inset_hosting_view.h"

#include <QVBoxLayout>

namespace kit {

NoInsetHostingView::NoInsetHostingView(QWidget* content, QWidget* parent) : QWidget(parent), content_(content) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(safeAreaInsets());
  layout->setSpacing(0);
  layout->addWidget(content);
}

}  // namespace kit
