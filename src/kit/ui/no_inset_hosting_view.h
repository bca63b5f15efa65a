#pragma once

#include <QMargins>
#include <QWidget>

namespace kit {

// Hosts one content widget over its whole area: none of the margins the style would put around a layout.
class NoInsetHostingView : public QWidget {
  Q_OBJECT

 public:
  explicit NoInsetHostingView(QWidget* content, QWidget* parent = nullptr);

  QWidget* content() const { return content_; }
  // Always zero on every edge, whatever window the view is in.
  QMargins safeAreaInsets() const { return {}; }

 private:
  QWidget* content_;
};

}  // namespace kit
