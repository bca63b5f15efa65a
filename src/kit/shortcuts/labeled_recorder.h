#pragma once

#include <QWidget>
#include <functional>
#include <string>

#include "kit/shortcuts/recorder.h"

class QLabel;

namespace kit::GlobalShortcuts {

// A recorder with its label on the left of the row and the field on the right: a title shown as plain text as it
// is given, or any widget of the caller's. The label names the field for assistive technologies. Main thread only.
class LabeledRecorder : public QWidget {
  Q_OBJECT

 public:
  LabeledRecorder(const std::string& title, Name name, Recorder::OnChange onChange = {}, QWidget* parent = nullptr);
  LabeledRecorder(Name name, Recorder::OnChange onChange, const std::function<QWidget*()>& label,
                  QWidget* parent = nullptr);

  Recorder& recorder() const { return *recorder_; }
  QWidget* label() const { return label_; }

 private:
  Recorder* recorder_;
  QWidget* label_;
};

}  // namespace kit::GlobalShortcuts
