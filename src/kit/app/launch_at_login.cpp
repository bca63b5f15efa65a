#include "kit/app/launch_at_login.h"

#include <unistd.h>

#include <QCoreApplication>
#include <algorithm>

#include "kit/app/app_facts.h"
#include "kit/foundation/error_presentation.h"
#include "kit/foundation/report_error.h"
#include "kit/foundation/zv_app.h"
#include "platform/system/process_tree.h"

namespace kit {

LaunchAtLogin& LaunchAtLogin::shared() {
  static auto* instance = new LaunchAtLogin(platform::AutostartEntry({.id = ZvApp::id(),
                                                                      .name = ZvApp::name(),
                                                                      .executable = AppFacts::url(),
                                                                      .arguments = {autostartArgument},
                                                                      .iconName = ZvApp::id()}));  // never released
  return *instance;
}

LaunchAtLogin::LaunchAtLogin(platform::AutostartEntry entry) : entry_(std::move(entry)) {}

bool LaunchAtLogin::isEnabled() const { return entry_.isEnabled(); }

void LaunchAtLogin::setEnabled(bool newValue) {
  objectWillChange.send(platform::rx::Unit{});
  try {
    // Enabling writes the whole entry again, so an entry left by an earlier location of the program is mended.
    if (newValue) {
      entry_.enable();
    } else {
      entry_.disable();
    }
  } catch (const platform::Error& error) {
    ZvApp::reportError(error, {{"newValue", newValue}});
    presentAsModal(error);
  }
}

std::optional<LaunchEvent> currentLaunchEvent() {
  if (!QCoreApplication::instance()) return std::nullopt;
  LaunchEvent event;
  for (const QString& argument : QCoreApplication::arguments()) event.arguments.push_back(argument.toStdString());
  event.senderProcessId = static_cast<int32_t>(getppid());
  return event;
}

bool wasLaunchedAtLogin(const std::optional<LaunchEvent>& event) {
  if (!event || event->arguments.empty()) return false;
  // The first argument is the program itself.
  return std::find(event->arguments.begin() + 1, event->arguments.end(), autostartArgument) != event->arguments.end();
}

std::optional<int32_t> launchingProcessID(const std::optional<LaunchEvent>& event) {
  if (!event || event->senderProcessId == 0) return std::nullopt;
  return platform::topMostAncestor(event->senderProcessId).value_or(event->senderProcessId);
}

}  // namespace kit

namespace kit::LaunchFacts {

const std::optional<LaunchEvent>& launchEvent() {
  static const std::optional<LaunchEvent> value = currentLaunchEvent();
  return value;
}

std::optional<int32_t> launchingProcessID() {
  static const std::optional<int32_t> value = kit::launchingProcessID(launchEvent());
  return value;
}

const std::optional<platform::RunningApplication>& launchingApplication() {
  static const std::optional<platform::RunningApplication> value =
      launchingProcessID() ? platform::Workspace::shared().runningApplication(*launchingProcessID()) : std::nullopt;
  return value;
}

bool wasLaunchedAtLogin() {
  static const bool value = kit::wasLaunchedAtLogin(launchEvent());
  return value;
}

}  // namespace kit::LaunchFacts
