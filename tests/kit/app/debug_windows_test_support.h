#pragma once

// The user and developer debug windows, their panes driven like a user would, against the real preferences file
// of the test program and the real in-memory log.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QTreeWidget>
#include <string>
#include <vector>

#include "doubles/memory_pasteboard.h"
#include "kit/app/debug_pane_header.h"
#include "kit/foundation/log.h"
#include "kit/preferences/key.h"
#include "platform/core/file_reading.h"
#include "platform/pasteboard/pasteboard.h"
#include "platform/prefs/plist_codec.h"
#include "platform/prefs/preference_file.h"
#include "platform/prefs/user_defaults.h"
#include "support/offscreen_application.h"
#include "support/recording_alert_presenter.h"

namespace kit {

using platform::UserDefaults;

class DebugWindows : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ensureOffscreenApplication(); }
  void SetUp() override {
    Preferences::removeAll();
    debugLogStore().clear();
    setAlertPresenter(&presenter);
  }
  void TearDown() override { setAlertPresenter(nullptr); }

  static QAction* item(DebugPaneHeader* header, const QString& title) {
    for (QAction* action : header->actionMenu()->actions())
      if (action->text() == title) return action;
    return nullptr;
  }
  // The keys of the rows shown, section by section.
  static std::vector<std::string> rowKeys(QTreeWidget* tree) {
    std::vector<std::string> keys;
    for (int s = 0; s < tree->topLevelItemCount(); ++s)
      for (int r = 0; r < tree->topLevelItem(s)->childCount(); ++r)
        keys.push_back(tree->topLevelItem(s)->child(r)->data(0, Qt::UserRole).toString().toStdString());
    return keys;
  }
  // What the preferences file on disk holds.
  static platform::PlistDict storedFile() {
    UserDefaults::standard().flush();
    return platform::parsePropertyListDictionary(*platform::readWholeFile(UserDefaults::standard().filePath()))
        .value_or(platform::PlistDict{});
  }

  RecordingAlertPresenter presenter;
  platform::MemoryPasteboard pasteboard;
};

}  // namespace kit
