#include "kit/app/debugging_aids.h"

#include <QApplication>
#include <QLoggingCategory>
#include <QPainter>
#include <QPointer>
#include <QStyle>
#include <QWidget>

#include "kit/preferences/key.h"

namespace kit::DebuggingAids {

namespace {

constexpr const char* highlightOn = "200";
constexpr const char* highlightOff = "no";
constexpr const char* highlightColor = "cycle";

bool isOn(const platform::UserDefaults& suite, const char* key) {
  return Preferences::storedValue<bool>(suite, key).value_or(false);
}

}  // namespace

bool highlightsDrawnRectangles(const platform::UserDefaults& suite) {
  return Preferences::storedValue<std::string>(suite, showAllDrawingKey) == highlightOn;
}

void flipHighlightDrawnRectangles(platform::UserDefaults& suite) {
  if (highlightsDrawnRectangles(suite)) {
    suite.set(showAllDrawingKey, highlightOff);
    return;
  }
  suite.set(showAllDrawingKey, highlightOn);
  suite.set(showAllDrawingColorKey, highlightColor);
}

QString loggingRules(const platform::UserDefaults& suite) {
  QString rules;
  // Every X event the platform reads, and the input events it makes of them.
  if (isOn(suite, logEventsKey)) rules += "qt.qpa.events.debug=true\nqt.qpa.input.events.debug=true\n";
  // Every area of a widget marked dirty, drawn and flushed to the screen.
  if (highlightsDrawnRectangles(suite)) rules += "qt.widgets.painting.debug=true\n";
  return rules;
}

void applyAtStart(const platform::UserDefaults& suite) {
  if (const QString rules = loggingRules(suite); !rules.isEmpty()) QLoggingCategory::setFilterRules(rules);
  if (isOn(suite, drawOutlinesKey) && qobject_cast<QApplication*>(QCoreApplication::instance()))
    QApplication::setStyle(new OutlinedWidgetsStyle(QApplication::style()->name()));
}

OutlinedWidgetsStyle::OutlinedWidgetsStyle(const QString& baseStyle) : QProxyStyle(baseStyle) {}

void OutlinedWidgetsStyle::polish(QWidget* widget) {
  QProxyStyle::polish(widget);
  widget->installEventFilter(this);
}

void OutlinedWidgetsStyle::unpolish(QWidget* widget) {
  widget->removeEventFilter(this);
  QProxyStyle::unpolish(widget);
}

bool OutlinedWidgetsStyle::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::Paint || painting_.contains(watched) || !watched->isWidgetType())
    return QProxyStyle::eventFilter(watched, event);
  auto* widget = static_cast<QWidget*>(watched);
  // The widget (and whoever else filters its events) paints first, inside this same paint event; the outline
  // goes on top.
  const QPointer<QWidget> alive(widget);
  painting_.insert(watched);
  QCoreApplication::sendEvent(widget, event);
  painting_.remove(watched);
  if (!alive) return true;
  QPainter painter(widget);
  painter.setPen(QColor(220, 30, 30, 170));
  painter.drawRect(widget->rect().adjusted(0, 0, -1, -1));
  return true;
}

}  // namespace kit::DebuggingAids
