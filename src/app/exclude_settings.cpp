#include "app/exclude_settings.h"

#include <QLabel>
#include <QVBoxLayout>

#include "app/settings_texts.h"
#include "kit/ui/text_styles.h"

namespace app {

QWidget* makeExcludeSettings() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(20, 16, 20, 20);
  auto* placeholder = new QLabel(SettingsTexts::excludePlaceholder, page);
  placeholder->setAlignment(Qt::AlignCenter);
  placeholder->setMinimumHeight(160);
  kit::applySecondaryTextStyle(*placeholder);
  layout->addWidget(placeholder);
  return page;
}

}  // namespace app
