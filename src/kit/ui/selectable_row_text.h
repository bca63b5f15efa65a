#pragma once

class QAbstractItemView;

namespace kit {

// Lets the user select and copy the text of a list's rows with the mouse, as in a text field. The row under the
// pointer is covered by a read-only label showing the same text (a row whose label holds a selection keeps it until
// the selection goes), so a list of thousands of rows carries one or two labels, not one per row. The view takes the
// item delegate this needs.
void makeRowTextSelectable(QAbstractItemView& view);

}  // namespace kit
