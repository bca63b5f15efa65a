#include "app/command_line.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QThread>
#include <chrono>
#include <ostream>

#include "app/application_service.h"
#include "app/remove_tracking_parameters_command.h"
#include "app_identity.h"
#include "kit/app/app_facts.h"
#include "kit/app/launch_at_login.h"
#include "kit/app/relaunch.h"
#include "platform/process/detached_process.h"

namespace app {

namespace {

constexpr auto startTimeout = std::chrono::seconds(15);

bool nameHasOwner(QDBusConnection& bus) {
  auto reply = bus.interface()->isServiceRegistered(QString::fromLatin1(identity::busName));
  return reply.isValid() && reply.value();
}

}  // namespace

std::string usageText() {
  return "Usage:\n"
         "  quillet                                   start Quillet (or show the icon of the running one)\n"
         "  quillet clear-clipboard-formatting        Clear Clipboard Formatting: clean the clipboard now\n"
         "  quillet remove-tracking-parameters URL... Remove Tracking Parameters from URLs: print each URL cleaned\n"
         "  quillet --help                            show this text\n"
         "\n"
         "Quillet watches the X11 clipboard and makes copied text plain. The two actions are also methods of\n" +
         std::string(intentsInterface) + " at " + identity::objectPath + " on the session bus.\n";
}

Command commandFor(const std::vector<std::string>& arguments) {
  for (const auto& argument : arguments) {
    if (argument == "--help" || argument == "-h" || argument == "help") return Command::help;
  }
  if (arguments.empty()) return Command::runApplication;
  const std::string& first = arguments.front();
  if (first == clearClipboardFormattingCommandName)
    return arguments.size() == 1 ? Command::clearClipboardFormatting : Command::unknown;
  if (first == removeTrackingParametersCommandName) return Command::removeTrackingParameters;
  for (size_t i = 0; i < arguments.size(); ++i) {
    // The session manager starts the program again with the session to restore.
    if ((arguments[i] == "-session" || arguments[i] == "--session") && i + 1 < arguments.size()) {
      ++i;
      continue;
    }
    if (arguments[i] != kit::autostartArgument && arguments[i] != kit::relaunchArgument) return Command::unknown;
  }
  return Command::runApplication;
}

int runClearClipboardFormattingCommand(int argc, char** argv, std::ostream& err) {
  QCoreApplication application(argc, argv);
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) {
    err << "quillet: there is no session bus to reach Quillet through (" << bus.lastError().message().toStdString()
        << ")\n";
    return 1;
  }
  if (!nameHasOwner(bus)) {
    if (auto failure =
            platform::startDetached(kit::AppFacts::url().string(), {}, platform::DetachedOutput::discarded)) {
      err << "quillet: could not start Quillet: " << *failure << "\n";
      return 1;
    }
    const auto deadline = std::chrono::steady_clock::now() + startTimeout;
    while (!nameHasOwner(bus)) {
      if (std::chrono::steady_clock::now() >= deadline) {
        err << "quillet: Quillet did not start within " << startTimeout.count() << " seconds\n";
        return 1;
      }
      QThread::msleep(50);
    }
  }
  auto call =
      QDBusMessage::createMethodCall(QString::fromLatin1(identity::busName), QString::fromLatin1(identity::objectPath),
                                     QString::fromLatin1(intentsInterface), QStringLiteral("ClearClipboardFormatting"));
  const QDBusMessage answer = bus.call(call, QDBus::Block, 30000);
  if (answer.type() == QDBusMessage::ErrorMessage) {
    err << "quillet: Quillet could not clear the clipboard's formatting: " << answer.errorMessage().toStdString()
        << "\n";
    return 1;
  }
  return 0;
}

}  // namespace app
