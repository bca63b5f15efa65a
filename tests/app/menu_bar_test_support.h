#pragma once

// The status menu and the status item's controller against an in-memory clipboard and a recording alert
// presenter, on the offscreen platform.
#include <gtest/gtest.h>

#include <QMenu>
#include <QTest>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "app/menu_bar_controller.h"
#include "app/status_bar_menu.h"
#include "doubles/memory_pasteboard.h"
#include "engine/pasteboard_controller.h"
#include "engine/preference_keys.h"
#include "engine/shortcut_names.h"
#include "kit/foundation/alert.h"
#include "kit/preferences/key.h"
#include "kit/shortcuts/storage.h"
#include "platform/system/modifier_flags.h"
#include "support/pasteboard_items.h"
#include "support/recording_alert_presenter.h"

namespace app {

namespace Keys = kit::Preferences::Keys;
namespace Flag = platform::ModifierFlag;
using platform::PasteboardType::html;
using platform::PasteboardType::string;

inline std::vector<std::string> titles(const QMenu& menu) {
  std::vector<std::string> result;
  for (QAction* action : menu.actions()) result.push_back(action->isSeparator() ? "-" : action->text().toStdString());
  return result;
}

inline QAction* item(const QMenu& menu, const std::string& title) {
  for (QAction* action : menu.actions()) {
    if (action->text().toStdString() == title) return action;
  }
  return nullptr;
}

class StatusBarMenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    kit::Preferences::removeAll();
    kit::setAlertPresenter(&presenter);
    setAutomaticClearing(false);
  }
  void TearDown() override {
    engine_.reset();
    kit::setAlertPresenter(nullptr);
    kit::GlobalShortcuts::setShortcut(std::nullopt, kit::GlobalShortcuts::Names::toggleAutomaticallyClearFormatting());
  }

  void setAutomaticClearing(bool on) { kit::Preferences::set(Keys::automaticallyClearFormatting(), on); }

  engine::PasteboardController& engine() {
    if (!engine_) engine_ = std::make_unique<engine::PasteboardController>(pasteboard);
    return *engine_;
  }

  void build(StatusMenuState state = {}) { buildStatusMenu(menu, engine(), state); }

  void copyRichText() { pasteboard.setItems({richText("<b>Bold</b> text", "Bold text")}); }
  // A pass over a copy that names its application leaves that application as the engine's source app.
  void cleanCopyFrom(const std::string& sourceApp) {
    pasteboard.setItems({itemOf({{html, "<b>a</b>"}, {string, "a"}, {"org.nspasteboard.source", sourceApp}})});
    engine().clearFormatting();
  }

  platform::MemoryPasteboard pasteboard;
  std::unique_ptr<engine::PasteboardController> engine_;
  kit::ZvMenu menu;
  RecordingAlertPresenter presenter;
};

class MenuBarControllerTest : public StatusBarMenuTest {
 protected:
  std::unique_ptr<MenuBarController> makeController(bool firstLaunch = false) {
    auto controller = std::make_unique<MenuBarController>(&engine());
    controller->isFirstLaunch = [firstLaunch] { return firstLaunch; };
    controller->revealDuration = std::chrono::milliseconds(200);
    // start() runs on the main queue; a busy machine may take a while to get there.
    EXPECT_TRUE(QTest::qWaitFor([&] { return static_cast<bool>(controller->menu().onUpdate); }, 5000));
    return controller;
  }
};

}  // namespace app
