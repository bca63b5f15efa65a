#include "app/status_bar_menu.h"

#include <QFontDatabase>
#include <QIcon>

#include "engine/copy_and_clear.h"
#include "engine/pasteboard_controller.h"
#include "engine/preference_keys.h"
#include "engine/shortcut_names.h"
#include "kit/app/share.h"
#include "kit/app/standard_menu.h"
#include "kit/foundation/bundle_identifier.h"
#include "kit/foundation/verbatim_title.h"
#include "kit/shortcuts/menu_item_shortcut.h"
#include "kit/ui/symbol_icons.h"
#include "platform/system/modifier_flags.h"

namespace app {

namespace {

namespace Keys = kit::Preferences::Keys;
using kit::CallbackMenuItem;

constexpr uint64_t ignoredModifiers =
    platform::ModifierFlag::capsLock | platform::ModifierFlag::numericPad | platform::ModifierFlag::function;

void addSourceAppSection(kit::ZvMenu& menu, const std::string& sourceApp) {
  kit::addHeader(menu, "Source App of Last Clipboard Item", true);
  const kit::BundleIdentifier app(sourceApp);
  auto* item = menu.addAction(kit::verbatimTitle(app.name().value_or(sourceApp)));
  item->setEnabled(false);
  if (app.url()) item->setIcon(QIcon(kit::appIconImage(app.icon()).pixmap(16, 16)));
  menu.addSeparator();
}

void addClearFormattingNowItem(kit::ZvMenu& menu, engine::PasteboardController& engine) {
  const bool canClear = engine::canClearFormattingNow(engine);
  auto* item = new CallbackMenuItem(
      "Clear Formatting Now", "", std::nullopt, true, false, false, [&engine] { engine.clearFormattingNow(); }, &menu);
  QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
  font.setWeight(canClear ? QFont::DemiBold : QFont::Normal);
  item->setFont(font);
  menu.addAction(item);
  item->setEnabled(canClear);
  item->setToolTip(canClear ? QString() : QString::fromStdString(clearFormattingNowDisabledToolTip));
}

}  // namespace

void buildStatusMenu(kit::ZvMenu& menu, engine::PasteboardController& engine, const StatusMenuState& state) {
  // Items of the previous opening go, with their shortcut observers.
  for (QAction* action : menu.actions()) {
    menu.removeAction(action);
    if (QMenu* submenu = action->menu()) {
      submenu->deleteLater();
    } else if (action->parent() == &menu) {
      action->deleteLater();
    }
  }
  menu.setToolTipsVisible(true);

  const uint64_t modifiers = state.modifierFlags & platform::ModifierFlag::deviceIndependentMask & ~ignoredModifiers;
  if (modifiers == platform::ModifierFlag::option && engine.pasteboardItemSourceApp()) {
    addSourceAppSection(menu, *engine.pasteboardItemSourceApp());
  }

  if (!kit::Preferences::get(Keys::automaticallyClearFormatting())) addClearFormattingNowItem(menu, engine);

  menu.addSeparator();
  kit::addHeader(menu, "Quick Settings", true);

  auto* toggle = new CallbackMenuItem(
      "Automatically Clear Formatting", "", std::nullopt, true,
      kit::Preferences::get(Keys::automaticallyClearFormatting()), false,
      [] { kit::Preferences::toggle(Keys::automaticallyClearFormatting()); }, &menu);
  // A switch: its box shows also while it is off.
  toggle->setCheckable(true);
  menu.addAction(toggle);
  toggle->setToolTip(QString::fromStdString(automaticallyClearFormattingToolTip));
  kit::GlobalShortcuts::setShortcut(*toggle,
                                    std::optional(kit::GlobalShortcuts::Names::toggleAutomaticallyClearFormatting()));

  menu.addSeparator();
  menu.addAction(new CallbackMenuItem(
      "Settings…", ",", std::nullopt, true, false, false, [] { kit::settingsMenuItemAction(); }, &menu));
  menu.addMenu(makeMoreMenu(&menu));

  menu.addSeparator();
  if (state.isDebugModifierChordHeld) {
    menu.addAction(new CallbackMenuItem(
        "Debug", "", std::nullopt, true, false, false,
        [show = state.showDebugWindow] {
          if (show) show();
        },
        &menu));
  }
  menu.addSeparator();
  kit::addQuitItem(menu);
}

kit::ZvMenu* makeMoreMenu(QWidget* parent) {
  auto* more = new kit::ZvMenu("More", parent);
  auto add = [more](const std::string& title, std::function<void()> action) {
    more->addAction(new CallbackMenuItem(title, "", std::nullopt, true, false, false, std::move(action), more));
  };
  add("About", [] { kit::aboutMenuItemAction(); });
  more->addSeparator();
  add("Send Feedback…", [] { kit::sendFeedbackMenuItemAction(); });
  more->addSeparator();
  kit::addTipsItem(*more);
  kit::addFAQItem(*more);
  kit::addWebsiteItem(*more);
  more->addSeparator();
  kit::addRateAppItem(*more);
  add("Share App", [] { kit::shareAppMenuItemAction(); });
  kit::addMoreAppsItem(*more);
  return more;
}

}  // namespace app
