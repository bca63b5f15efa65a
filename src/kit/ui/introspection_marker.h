#pragma once

#include <QString>
#include <QWidget>
#include <functional>

#include "kit/ui/widget_introspection.h"

namespace kit {

// A hidden widget of no size at the centre of a piece of content, from which a search finds a widget that the
// content is made of but does not hand out (the text view inside an editor, say) and customises it. Clicks go
// through it. The search runs one turn of the event loop after each update: when the marker is placed, each time
// the content is shown and at each call of contentDidUpdate(); every update gives one search, so what customises
// must be safe to repeat. Lives as long as the content. Main thread only.
class IntrospectionMarker : public QWidget {
  Q_OBJECT

 public:
  // `search` gets the marker; its accessible name is "IntrospectionMarker<" + the class name without its
  // namespaces + ">".
  IntrospectionMarker(QWidget& content, const char* targetClassName, std::function<void(QWidget& marker)> search);

  // The content changed: search again on the next turn.
  void contentDidUpdate();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void placeAtCentre();

  std::function<void(QWidget&)> search_;
};

// Finds the T around the content with `selector` after each update and hands it to `customize`.
template <class T>
IntrospectionMarker* accessWidget(QWidget& content, std::function<T*(QWidget& marker)> selector,
                                  std::function<void(T&)> customize) {
  return new IntrospectionMarker(content, T::staticMetaObject.className(),
                                 [selector = std::move(selector), customize = std::move(customize)](QWidget& marker) {
                                   if (T* found = selector(marker)) customize(*found);
                                 });
}

// The same with the usual selector: a T beside the marker's view host, else the T that encloses the content, or
// the one under its centre inside the nearest enclosing widget that has one. (The marker lies inside the content,
// which no view host wraps, so the search starts at the content.)
template <class T>
IntrospectionMarker* accessWidget(QWidget& content, std::function<void(T&)> customize) {
  return accessWidget<T>(
      content,
      [](QWidget& marker) { return TargetViewSelector::hostSiblingContainingOrAncestorOrDescendant<T>(marker); },
      std::move(customize));
}

}  // namespace kit
