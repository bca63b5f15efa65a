#pragma once

#include <QLabel>

namespace kit {

// A label that shows its text as written (never as markup), in the secondary text colour while disabled, and fits
// itself to its text when it is placed in a parent.
class CocoaLabel : public QLabel {
  Q_OBJECT

 public:
  explicit CocoaLabel(const QString& text = {}, QWidget* parent = nullptr);

 protected:
  void changeEvent(QEvent* event) override;

 private:
  void applyDisabledTextColor();
};

// A one-line label that cuts its text with an ellipsis where it does not fit, and then shows the whole text as
// its tooltip; both show the text as written (never as markup). `text()` is always the whole text.
class ExpansionTextField : public QLabel {
  Q_OBJECT

 public:
  explicit ExpansionTextField(const QString& text = {}, QWidget* parent = nullptr);

 public Q_SLOTS:
  void setText(const QString& text);

 public:
  QSize minimumSizeHint() const override;
  QSize sizeHint() const override;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  QString shownText() const;
  void updateTooltip();
};

}  // namespace kit
