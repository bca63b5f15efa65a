#pragma once

#include <QWidget>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "kit/foundation/reactive_observables.h"
#include "platform/core/rx.h"
#include "platform/pasteboard/pasteboard.h"
#include "platform/prefs/user_defaults.h"

class QMouseEvent;
class QTreeWidget;
class QVBoxLayout;

namespace kit {

class DebugPaneHeader;

// A preferences suite the developer window lists after the standard one, under its title when one is recorded.
struct DebugSuite {
  std::shared_ptr<platform::UserDefaults> suite;
  std::optional<std::string> title;
};
// None in this program.
std::vector<DebugSuite>& debugUserDefaultsSuites();
// The title of the suite's section: "Standard" for the standard suite, else the title recorded for it among the
// further suites of debugUserDefaultsSuites, "<Unknown>" without one.
std::string debugDisplayName(const platform::UserDefaults& suite);

// The "User Preferences" pane of the developer debug window: what each suite has stored, one section per suite
// ("Standard" first), the kit's keys first, each value shown whole (at any width, however long). A click on a row, its
// texts included, selects it (the texts can also be selected and copied); selected rows are deleted with Delete (or
// from their context menu); "Copy" puts every "key: value" line on the clipboard, "Clear" removes every key of the
// listed suites. Follows every change of the preferences.
class DebugUserDefaultsScreen : public QWidget {
  Q_OBJECT

 public:
  explicit DebugUserDefaultsScreen(platform::Pasteboard& pasteboard = platform::generalPasteboard(),
                                   QWidget* parent = nullptr);

  QTreeWidget* tree() const { return tree_; }
  DebugPaneHeader* header() const { return header_; }
  // Lists the suites again (every change of the preferences does this).
  void rebuild();
  // Removes the keys of the selected rows; the keys are all taken from the rows shown before the first goes.
  void deleteSelectedRows();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Lays the rows out again on a later turn (once for any number of requests), after one changed its height.
  void layOutRowsAgain();
  struct Section {
    platform::UserDefaults* suite;
    std::string title;
  };
  std::vector<Section> sections() const;
  // Selects the row that holds the clicked text, with the click's modifiers.
  void selectRowOfText(QWidget* text, const QMouseEvent& click);

  platform::Pasteboard& pasteboard_;
  QVBoxLayout* layout_ = nullptr;
  DebugPaneHeader* header_ = nullptr;
  QTreeWidget* tree_ = nullptr;
  bool rebuildQueued_ = false;
  bool layoutQueued_ = false;
  // Announces every change of the preferences on the main thread.
  ListenOnlyPublisherObservable didChange_;
  platform::rx::AnyCancellable changes_;
};

}  // namespace kit
