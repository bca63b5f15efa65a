#pragma once

#include <QImage>
#include <algorithm>
#include <cstddef>
#include <iterator>
#include <set>
#include <vector>

#include "kit/foundation/text_checking.h"

class QLabel;
class QWidget;

namespace kit {

// Lets the label's text wrap onto as many lines as it needs at the width it is given: it never grows
// sideways and never cuts a line.
void setMultilineFixedSize(QLabel& label);

// Shows the widget everywhere except where `mask` is opaque, and partly where it is partly transparent: the mask
// keeps its size and its place at `alignment` inside the widget, whatever size the widget takes later. A new mask
// replaces the previous one.
void setReverseMask(QWidget& widget, const QImage& mask, Qt::Alignment alignment = Qt::AlignCenter);

// Editing a list shown as rows, one write of the whole list per edit. Offsets are row positions.

// Moves the rows at `offsets` before the row at `destination` (the position in the list before the move), keeping
// their order.
template <class T>
void moveElements(std::vector<T>& elements, const std::set<size_t>& offsets, size_t destination) {
  std::vector<T> moved, kept;
  size_t insertAt = 0;
  for (size_t i = 0; i < elements.size(); ++i) {
    if (offsets.count(i)) {
      moved.push_back(std::move(elements[i]));
    } else {
      if (i < destination) ++insertAt;
      kept.push_back(std::move(elements[i]));
    }
  }
  kept.insert(kept.begin() + static_cast<std::ptrdiff_t>(insertAt), std::make_move_iterator(moved.begin()),
              std::make_move_iterator(moved.end()));
  elements = std::move(kept);
}

// Removes the rows at `offsets`; offsets past the end are ignored.
template <class T>
void removeElements(std::vector<T>& elements, const std::set<size_t>& offsets) {
  std::vector<T> kept;
  for (size_t i = 0; i < elements.size(); ++i)
    if (!offsets.count(i)) kept.push_back(std::move(elements[i]));
  elements = std::move(kept);
}

// Inserts the new rows at `offset` (at the end when it lies past it).
template <class T>
void insertElements(std::vector<T>& elements, size_t offset, std::vector<T> inserted) {
  const auto at = index(elements, std::min(offset, elements.size()));
  elements.insert(at, std::make_move_iterator(inserted.begin()), std::make_move_iterator(inserted.end()));
}

}  // namespace kit
