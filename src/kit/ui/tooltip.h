#pragma once

#include <QFont>
#include <QFrame>
#include <QMargins>
#include <QPointer>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "kit/ui/popover.h"

class QLabel;
class QPropertyAnimation;
class QSystemTrayIcon;

namespace kit {

// A small popup with a wrapping text (shown as written, never as markup) that can be shown only once per identifier
// over the life of the installation (counted under "Zv_Tooltip_" + identifier), and anchored under a status item even
// though the application has no window of its own. Main thread only.
class Tooltip : public QFrame {
  Q_OBJECT

 public:
  struct Options {
    bool showOnlyOnce = false;
    bool closeOnClick = true;
    std::optional<int> maxWidth;
    std::optional<QFont> font;
    QMargins contentInsets;
    // Runs on a primary click inside it (after it began to close, when it closes on click).
    std::function<void()> onClick;
  };

  Tooltip(std::string identifier, const std::string& text, Options options);

  const std::string& identifier() const { return identifier_; }
  // Shown only while the show counter of the identifier is 0.
  bool showOnlyOnce() const { return options_.showOnlyOnce; }
  // When false, showing under a status item is skipped while the item has no place on screen.
  bool showEvenWhenMenuBarItemIsHidden = false;

  // How often the tooltip with this identifier was shown.
  static int64_t showCount(const std::string& identifier);

  // Shows beside `positioningRect` of `positioningView` (in its coordinates) past the preferred edge, or past the
  // opposite one where the screen has no room, as a popover does; fading in unless the desktop asks for less motion.
  // Does nothing while the view is in no shown window, or when show-once is spent; otherwise counts the showing.
  // Closing on click, it also closes on a click or a key press in the view's window. Returns whether it is shown.
  bool show(const QRect& positioningRect, const QWidget& positioningView, RectEdge preferredEdge);
  using QFrame::show;
  // Shows under the status item's area on screen, or above it where the screen's available area has no room below
  // (a panel at the bottom), and keeps following that area while it shows (a tray's panel can move, or the icons
  // before the item change). An empty area (the tray told us nothing) places it near the top-right of the primary
  // screen, 60 pixels in from its right edge.
  bool showUnderStatusItem(std::function<QRect()> statusItemGeometry, bool statusItemIsOnScreen);
  bool showUnderStatusItem(QSystemTrayIcon& item);

  // The width the text wraps at (none when there is no maximum width).
  std::optional<int> textWrapWidth() const;
  QLabel* label() const { return label_; }

 Q_SIGNALS:
  void closed();

 protected:
  // Closing fades it out first, unless the desktop asks for less motion.
  void closeEvent(QCloseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Counts the showing and shows it at `geometry`, unless show-once is spent.
  bool present(const QRect& geometry);
  // Its place beside the status item of that area, inside the available area of the item's screen.
  QRect geometryAtStatusItem(const QRect& itemGeometry) const;
  void followStatusItem();

  std::string identifier_;
  Options options_;
  QLabel* label_ = nullptr;
  QPropertyAnimation* fade_ = nullptr;
  bool fadedOut_ = false;
  QTimer* follow_ = nullptr;
  std::function<QRect()> statusItemGeometry_;
  QRect followedGeometry_;
  QPointer<QWidget> anchorWindow_;
};

// What the popover of a status item points at: the item's area, or, without one, the point just above the screen's
// top edge, 60 pixels in from its right.
QRect statusItemAnchor(const QRect& statusItemGeometry, const QRect& screenGeometry);

}  // namespace kit
