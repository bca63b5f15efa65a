#pragma once

#include <QProxyStyle>
#include <QSet>
#include <QString>

#include "platform/prefs/user_defaults.h"

// The developer switches of the debug window's "Settings" pane. Each is a key of the standard preferences that the
// program reads once, when it starts, so every change is followed by a relaunch.
namespace kit::DebuggingAids {

// Bool keys, false by default. Outlines draw a thin frame around every widget; logged events are the platform's
// input and window events in Qt's log. The other two are only stored.
inline constexpr const char* drawOutlinesKey = "NSShowAllViews";
inline constexpr const char* visualizeConstraintsKey = "NSConstraintBasedLayoutVisualizeMutuallyExclusiveConstraints";
inline constexpr const char* logEventsKey = "NSTraceEvents";
inline constexpr const char* internalDebugMenuKey = "_NS_4445425547";
// Text keys: "200" while drawn rectangles are highlighted (every area a widget draws is logged in Qt's log), "no"
// once switched off; the colour is "cycle".
inline constexpr const char* showAllDrawingKey = "NSShowAllDrawing";
inline constexpr const char* showAllDrawingColorKey = "NSShowAllDrawingColor";

// Exactly "200" is stored; any other text, or none, reads as off.
bool highlightsDrawnRectangles(const platform::UserDefaults& suite = platform::UserDefaults::standard());
// Switches the highlighting over, whatever the caller's switch shows: off stores "no" and leaves the colour, on
// stores "200" and then the colour "cycle".
void flipHighlightDrawnRectangles(platform::UserDefaults& suite = platform::UserDefaults::standard());

// Qt's logging rules for what is switched on (the platform's event categories, the painting category); empty when
// neither is.
QString loggingRules(const platform::UserDefaults& suite = platform::UserDefaults::standard());
// Puts the switches into effect; once, right after the application object is made.
void applyAtStart(const platform::UserDefaults& suite = platform::UserDefaults::standard());

// A style like the application's that draws a thin outline around every widget over what the widget drew.
class OutlinedWidgetsStyle : public QProxyStyle {
  Q_OBJECT

 public:
  // Wraps the style of that name (the application's own, say).
  explicit OutlinedWidgetsStyle(const QString& baseStyle);

  using QProxyStyle::polish;
  using QProxyStyle::unpolish;
  void polish(QWidget* widget) override;
  void unpolish(QWidget* widget) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Widgets whose own painting is under way, inside the outline's handling of their paint event.
  QSet<QObject*> painting_;
};

}  // namespace kit::DebuggingAids
