#pragma once

#include <QLabel>
#include <QPushButton>
#include <QWidget>

namespace kit {

// Views that never take a click: mouse presses, releases and moves go to whatever lies behind them.
class NonInteractiveView : public QWidget {
  Q_OBJECT

 public:
  explicit NonInteractiveView(QWidget* parent = nullptr);
};

// An image shown without taking clicks.
class NonInteractiveImageView : public QLabel {
  Q_OBJECT

 public:
  explicit NonInteractiveImageView(QWidget* parent = nullptr);
};

// A button drawn as one, for its look alone: clicks go to the views behind it, and its title, shown as written, makes
// no keyboard mnemonic that would press it.
class LabelButton : public QPushButton {
  Q_OBJECT

 public:
  explicit LabelButton(const QString& title = {}, QWidget* parent = nullptr);
};

}  // namespace kit
