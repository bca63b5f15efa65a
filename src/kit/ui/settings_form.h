#pragma once

#include <QFrame>
#include <optional>
#include <string>

class QLabel;
class QVBoxLayout;

namespace kit {

// A thin rule across the full width, in the palette's separator colour.
class HorizontalLine : public QFrame {
  Q_OBJECT

 public:
  explicit HorizontalLine(QWidget* parent = nullptr);
};

// A box of setting rows with thin rules between them.
class SettingsSection : public QFrame {
  Q_OBJECT

 public:
  explicit SettingsSection(QWidget* parent = nullptr);
  // A row sits inside the usual padding unless `padded` is false (a list that reaches the box's edges, say).
  void addRow(QWidget* row, bool padded = true);

 private:
  QVBoxLayout* rows_;
};

// A page of settings in the grouped style: sections one above the other, each with an optional header.
class SettingsForm : public QWidget {
  Q_OBJECT

 public:
  explicit SettingsForm(QWidget* parent = nullptr);
  SettingsSection* addSection(const std::optional<std::string>& header = std::nullopt);
  // A section under a header of the caller's own (a row of controls, say); the form takes it.
  SettingsSection* addSection(QWidget* header);

 private:
  QVBoxLayout* sections_;
};

// A row with `leading` (the title side) and `trailing` (the control side) at the two ends; either may be null.
QWidget* settingsRow(QWidget* leading, QWidget* trailing);

}  // namespace kit
