#pragma once

class QWidget;

namespace kit {

// Remembers which widget has the keyboard focus, without keeping it alive, so that the focus can be given back to
// it later (after a panel or popover took it, say). A later recording replaces the earlier one. Main thread only.
void recordFocusedWidget();
// Records `widget` itself, focused or not, in the same place.
void recordWidget(QWidget& widget);
// The widget recorded last, while it lives.
QWidget* recordedWidget();
// Gives the focus back to the recorded widget; false when it is gone or can take no focus now.
bool giveFocusToRecordedWidget();

}  // namespace kit
