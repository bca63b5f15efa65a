#pragma once

#include <QWidget>
#include <string>
#include <vector>

#include "platform/pasteboard/pasteboard.h"

class QListWidget;

namespace kit {

class DebugPaneHeader;

// The "Logs" pane of the developer debug window: the in-memory log, oldest line first, read again every second;
// "Copy" puts the whole log on the clipboard, "Clear" empties it.
class DebugLogScreen : public QWidget {
  Q_OBJECT

 public:
  explicit DebugLogScreen(platform::Pasteboard& pasteboard = platform::generalPasteboard(), QWidget* parent = nullptr);

  QListWidget* list() const { return list_; }
  DebugPaneHeader* header() const { return header_; }
  // Reads the log again (the timer does this every second).
  void refresh();

 private:
  QListWidget* list_ = nullptr;
  DebugPaneHeader* header_ = nullptr;
  std::vector<std::string> shown_;
};

}  // namespace kit
