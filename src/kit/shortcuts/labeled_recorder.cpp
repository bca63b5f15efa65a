#include "kit/shortcuts/labeled_recorder.h"

#include <QAccessible>
#include <QHBoxLayout>
#include <QLabel>

namespace kit::GlobalShortcuts {

namespace {

QLabel* titleLabel(const std::string& title) {
  auto* label = new QLabel(QString::fromStdString(title));
  label->setTextFormat(Qt::PlainText);
  label->setAccessibleName(label->text());
  return label;
}

// The name assistive technologies read for the label: the accessible name set on it, else the text it shows (a
// label's text without markup, a button's title without its mnemonic).
QString accessibleNameOf(QWidget& label) {
  QAccessibleInterface* interface = QAccessible::queryAccessibleInterface(&label);
  return interface ? interface->text(QAccessible::Name) : QString();
}

}  // namespace

LabeledRecorder::LabeledRecorder(const std::string& title, Name name, Recorder::OnChange onChange, QWidget* parent)
    : LabeledRecorder(
          std::move(name), std::move(onChange), [&title] { return titleLabel(title); }, parent) {}

LabeledRecorder::LabeledRecorder(Name name, Recorder::OnChange onChange, const std::function<QWidget*()>& label,
                                 QWidget* parent)
    : QWidget(parent), recorder_(new Recorder(std::move(name), std::move(onChange), this)), label_(label()) {
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(label_, 1);
  row->addWidget(recorder_);
  recorder_->setAccessibleName(accessibleNameOf(*label_));
}

}  // namespace kit::GlobalShortcuts
