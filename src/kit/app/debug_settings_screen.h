#pragma once

#include <QCheckBox>
#include <QWidget>

// The "Settings" pane of the developer debug window.
namespace kit {

// The developer switches (kit/app/debugging_aids.h) in this order: "Draw Outlines Around Views", "Visualize Mutually
// Exclusive Constraints", "Log AppKit Events", "Show Internal AppKit Debug Menu" and "Highlight Drawn Rectangles".
// They take effect when the program starts, so each change is stored and then the program relaunches.
class DebugSettingsScreen : public QWidget {
  Q_OBJECT

 public:
  explicit DebugSettingsScreen(QWidget* parent = nullptr);
};

// "Highlight Drawn Rectangles": on while exactly "200" is stored. Any change of the box, however it is made, flips
// the stored state (the box shows it again) and relaunches the program.
class HighlightDrawnRectanglesToggle : public QCheckBox {
  Q_OBJECT

 public:
  explicit HighlightDrawnRectanglesToggle(QWidget* parent = nullptr);

 private:
  void showStored();
};

}  // namespace kit
