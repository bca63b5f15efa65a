#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "app/app_main.h"
#include "app/application_service.h"
#include "app/command_line.h"
#include "app/display_check.h"
#include "app/remove_tracking_parameters_command.h"
#include "app/termination_signals.h"
#include "app_identity.h"
#include "engine/pasteboard_controller.h"
#include "kit/app/app_facts.h"
#include "kit/app/debugging_aids.h"
#include "kit/app/relaunch.h"
#include "kit/foundation/log.h"
#include "kit/foundation/zv_app.h"
#include "kit/ui/app_icon.h"
#include "kit/ui/character_picker.h"
#include "kit/ui/qt_alert_presenter.h"
#include "platform/pasteboard/pasteboard.h"
#include "platform/prefs/user_defaults.h"
#include "platform/system/desktop_entry.h"

namespace {

bool hasArgument(const std::vector<std::string>& arguments, const std::string& wanted) {
  for (const auto& argument : arguments)
    if (argument == wanted) return true;
  return false;
}

int runApplication(int argc, char** argv, const std::vector<std::string>& arguments) {
  auto environment = app::DisplayEnvironment::current();
  const auto display = app::checkDisplay(environment);
  if (!display.message.empty()) std::cerr << display.message;
  if (!display.canRun) return 1;
  setenv("QT_QPA_PLATFORM", "xcb", 1);  // NOLINT(concurrency-mt-unsafe): no other thread runs yet

  QApplication application(argc, argv);
  // Copies made from here on, while the bus name is taken and the preferences are read, are cleaned once they are.
  // However the program ends from here on, it stops reading the clipboard first and leaves its last copy there for a
  // paste.
  engine::PasteboardController::followClipboardFromNow();
  const struct KeepLastCopy {
    ~KeepLastCopy() {
      if (!platform::generalPasteboard().keepContentAfterExit())
        kit::log({"The last copy could not be kept for a paste after quitting"}, kit::LogType::error);
    }
  } keepLastCopy;
  // Qt's own connection is open: ours can go without leaving the server without clients.
  environment.connection.reset();
  QApplication::setApplicationName(QString::fromStdString(kit::ZvApp::name()));
  QApplication::setApplicationVersion(QString::fromStdString(kit::AppFacts::version()));
  QGuiApplication::setDesktopFileName(QString::fromStdString(kit::ZvApp::id()));
  QApplication::setQuitOnLastWindowClosed(false);
  // Alerts show as Qt dialogs while the application object exists.
  kit::QtAlertPresenter alertPresenter;
  kit::setAlertPresenter(&alertPresenter);

  // The bus name comes next: a second launch and the desktop wait for it.
  app::AppDelegate delegate;
  app::ApplicationService service(delegate);
  switch (app::claimSingleInstance(service, hasArgument(arguments, kit::relaunchArgument))) {
    case app::InstanceClaim::owner:
      // No other instance writes the settings now: what a killed write of theirs left, however fresh, can go.
      platform::UserDefaults::standard().removeTemporaryFilesOfKilledWrites();
      break;
    case app::InstanceClaim::reopenedRunning:
      return 0;
    case app::InstanceClaim::noSessionBus:
      std::cerr << "quillet: no session bus: running without the check for another running Quillet\n";
      break;
    case app::InstanceClaim::failed:
      std::cerr << "quillet: another Quillet holds the session bus name " << identity::busName
                << " and did not answer\n";
      return 1;
  }
  // Each copy asks which application made it: the installed applications are read meanwhile, off this thread.
  platform::DesktopEntries::readAhead();
  kit::DebuggingAids::applyAtStart();
  // What only windows need waits until the clipboard is watched.
  kit::installApplicationIconLater();
  kit::installCharacterPaletteKey();
  app::quitOnTerminationSignals();
  app::AppMain appMain(delegate);
  return appMain.run();
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  switch (app::commandFor(arguments)) {
    case app::Command::help:
      std::cout << app::usageText();
      return 0;
    case app::Command::removeTrackingParameters:
      return app::runRemoveTrackingParametersCommand({arguments.begin() + 1, arguments.end()}, std::cout, std::cerr);
    case app::Command::clearClipboardFormatting:
      return app::runClearClipboardFormattingCommand(argc, argv, std::cerr);
    case app::Command::unknown:
      std::cerr << app::usageText();
      return 2;
    case app::Command::runApplication:
      return runApplication(argc, argv, arguments);
  }
  return 2;
}
