#include "kit/ui/settings_form.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace kit {

namespace {

constexpr int rowMargin = 10;
constexpr int sectionSpacing = 14;

}  // namespace

HorizontalLine::HorizontalLine(QWidget* parent) : QFrame(parent) {
  setFrameShape(QFrame::HLine);
  setFrameShadow(QFrame::Plain);
  setForegroundRole(QPalette::Mid);
  setFixedHeight(1);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

SettingsSection::SettingsSection(QWidget* parent) : QFrame(parent) {
  setFrameShape(QFrame::StyledPanel);
  setBackgroundRole(QPalette::Base);
  setAutoFillBackground(true);
  rows_ = new QVBoxLayout(this);
  rows_->setContentsMargins(1, 1, 1, 1);
  rows_->setSpacing(0);
}

void SettingsSection::addRow(QWidget* row, bool padded) {
  if (rows_->count() > 0) rows_->addWidget(new HorizontalLine(this));
  if (!padded) {
    rows_->addWidget(row);
    return;
  }
  auto* cell = new QWidget(this);
  auto* layout = new QHBoxLayout(cell);
  layout->setContentsMargins(rowMargin, rowMargin * 3 / 4, rowMargin, rowMargin * 3 / 4);
  layout->addWidget(row);
  rows_->addWidget(cell);
}

SettingsForm::SettingsForm(QWidget* parent) : QWidget(parent) {
  sections_ = new QVBoxLayout(this);
  sections_->setContentsMargins(20, 16, 20, 20);
  sections_->setSpacing(sectionSpacing);
}

SettingsSection* SettingsForm::addSection(const std::optional<std::string>& header) {
  QLabel* title = nullptr;
  if (header) {
    title = new QLabel(QString::fromStdString(*header));
    QFont font = title->font();
    font.setBold(true);
    title->setFont(font);
  }
  return addSection(title);
}

SettingsSection* SettingsForm::addSection(QWidget* header) {
  auto* group = new QWidget(this);
  auto* layout = new QVBoxLayout(group);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(6);
  if (header) {
    header->setContentsMargins(rowMargin, 0, 0, 0);
    layout->addWidget(header);
  }
  auto* section = new SettingsSection(group);
  layout->addWidget(section);
  sections_->addWidget(group);
  return section;
}

QWidget* settingsRow(QWidget* leading, QWidget* trailing) {
  auto* row = new QWidget;
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  if (leading) layout->addWidget(leading, 1);
  if (!leading) layout->addStretch(1);
  if (trailing) layout->addWidget(trailing, 0, Qt::AlignRight | Qt::AlignVCenter);
  return row;
}

}  // namespace kit
