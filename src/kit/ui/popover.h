#pragma once

#include <QFrame>
#include <QMargins>
#include <QPointer>
#include <optional>

namespace kit {

// The edges of a widget's rectangle in its own coordinates, where y grows downwards: minY is the top edge.
enum class RectEdge { minX, minY, maxX, maxY };

// The space a popover leaves between itself and the widget it points at.
inline constexpr int popoverGap = 4;

// Where a popover of `size` goes beside `anchor` (both on the screen), `gap` pixels away: past its preferred edge,
// centred along it, or past the opposite edge when the preferred side of `available` has no room for it; always kept
// inside `available`.
QRect popoverGeometry(const QSize& size, const QRect& anchor, RectEdge preferredEdge, const QRect& available,
                      int gap = popoverGap);

// A small panel that opens under a widget and shows content of its own: in the default font, colours and
// control size, whatever the widget it points at uses. A transient popover closes on a click outside it or
// Escape; a hover popover takes neither focus nor clicks away from the window under it. Main thread only.
class Popover : public QFrame {
  Q_OBJECT

 public:
  enum class Behavior { transient, hover };
  struct Options {
    Behavior behavior = Behavior::transient;
    // The content is laid out at exactly this width (its height follows); without it, at its natural size.
    std::optional<int> contentWidth;
    QMargins padding{16, 16, 16, 16};
  };

  // Takes the content.
  Popover(QWidget* content, Options options);

  QWidget* content() const { return content_; }
  // Shows it centred under the anchor, or above it when there is no room below, on the anchor's screen.
  void showUnder(const QWidget& anchor);

 Q_SIGNALS:
  void closed();

 protected:
  void hideEvent(QHideEvent* event) override;

 private:
  QWidget* content_;
};

}  // namespace kit
