#pragma once

#include <QIcon>
#include <QWidget>
#include <string_view>

#include "kit/foundation/bundle_identifier.h"

namespace kit {

// Icons of our own for the symbols the interface names, drawn in the application palette's text colour (the notice
// symbol in its warning colours) at the moment they are painted, so that they follow a switch to a dark palette and
// look the same under every icon theme and under none:
// "gearshape", "gearshape.2", "command" (a keyboard), "paintbrush.pointed", "menubar.rectangle",
// "filemenu.and.selection", "bell.badge", "calendar", "arrow.triangle.branch", "globe", "nosign", "sparkles",
// "exclamationmark.circle.fill", "plus", "minus", "info.circle.fill", "magnifyingglass", "app.generic" (an
// application without an icon), "doc.on.doc" (copy), "checkmark", "square.and.arrow.up" (share) and "envelope".
// An empty icon for any other name.
QIcon symbolIcon(std::string_view symbolName);

// The theme's icon of that name when the desktop has one, else symbolIcon(symbolName).
QIcon themeIcon(const char* themeName, std::string_view symbolName);

// Shows a symbol at a fixed side, drawn each time it is painted (a label's pixmap would keep the palette it was
// made in).
class SymbolView : public QWidget {
  Q_OBJECT

 public:
  SymbolView(std::string_view symbolName, int side, QWidget* parent = nullptr);
  QSize sizeHint() const override { return {side_, side_}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QIcon icon_;
  int side_;
};

// An application's icon: its image file or theme icon, else the generic application icon.
QIcon appIconImage(const AppIcon& icon);

}  // namespace kit
