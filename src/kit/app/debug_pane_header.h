#pragma once

#include <QWidget>
#include <functional>
#include <string>

class QLabel;
class QMenu;

namespace kit {

// A pane's title, in bold and larger than the text below it.
QLabel* makeDebugPaneTitle(const std::string& title, QWidget* parent);

// The head of a pane of the developer debug window: its title in bold and, on the right, the "Action" menu with
// "Copy", a separator and "Clear". Both items are enabled only when the pane had entries when it was built.
class DebugPaneHeader : public QWidget {
  Q_OBJECT

 public:
  DebugPaneHeader(const std::string& title, bool hasEntries, std::function<void()> copy, std::function<void()> clear,
                  QWidget* parent = nullptr);

  QMenu* actionMenu() const { return actionMenu_; }

 private:
  QMenu* actionMenu_ = nullptr;
};

}  // namespace kit
