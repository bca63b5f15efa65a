#include "kit/ui/window_for_menu_bar_app.h"

#include <QApplication>
#include <QKeyEvent>
#include <QShortcut>

namespace kit {

namespace {

constexpr QSize initialSize{100, 100};

// Shortcuts rather than key events: the keyboard's Latin layout stands in for a non-Latin one, so Ctrl+W keeps
// working with a Cyrillic or Greek layout active. Other modifiers (Ctrl+Shift+W) are left to the content.
void addWindowKeys(QWidget& window) {
  auto* close = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_W), &window);
  QObject::connect(close, &QShortcut::activated, &window, [&window] { performClose(window); });
  auto* minimize = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_M), &window);
  QObject::connect(minimize, &QShortcut::activated, &window, [&window] { window.showMinimized(); });
}

}  // namespace

void performClose(QWidget& window) {
  const Qt::WindowFlags flags = window.windowFlags();
  if (flags.testFlag(Qt::CustomizeWindowHint) && !flags.testFlag(Qt::WindowCloseButtonHint)) {
    QApplication::beep();
    return;
  }
  window.close();
}

WindowForMenuBarApp::WindowForMenuBarApp(QWidget* parent) : QWidget(parent, Qt::Window) {
  resize(initialSize);
  addWindowKeys(*this);
}

void WindowForMenuBarApp::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    if (shouldCloseOnEscapePress) performClose(*this);
    event->accept();
    return;
  }
  QWidget::keyPressEvent(event);
}

PanelForMenuBarApp::PanelForMenuBarApp(QWidget* parent) : QWidget(parent, Qt::Tool) {
  resize(initialSize);
  addWindowKeys(*this);
}

}  // namespace kit
