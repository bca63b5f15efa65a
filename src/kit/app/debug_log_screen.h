#pragma once

#include <QWidget>
#include <string>
#include <vector>

#include "platform/pasteboard/pasteboard.h"

class QListWidget;

namespace kit {

class DebugPaneHeader;
class Timeline;

// The "Logs" pane of the developer debug window: the in-memory log, oldest line first, read again every second, also
// while another application is the active one. The text of each line can be selected and copied; "Copy" puts the whole
// log on the clipboard, "Clear" empties it.
class DebugLogScreen : public QWidget {
  Q_OBJECT

 public:
  explicit DebugLogScreen(platform::Pasteboard& pasteboard = platform::generalPasteboard(), QWidget* parent = nullptr);

  QListWidget* list() const { return list_; }
  DebugPaneHeader* header() const { return header_; }
  Timeline* timeline() const { return timeline_; }
  // Reads the log again (the timeline does this at each of its entries).
  void refresh();

 private:
  QListWidget* list_ = nullptr;
  DebugPaneHeader* header_ = nullptr;
  Timeline* timeline_ = nullptr;
  std::vector<std::string> shown_;
};

}  // namespace kit
