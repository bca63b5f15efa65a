#include "kit/app/relaunch.h"

#include <QCoreApplication>
#include <QStandardPaths>
#include <cstdlib>

#include "kit/app/app_facts.h"
#include "kit/app/launch_history.h"
#include "kit/foundation/alert.h"
#include "kit/foundation/error_presentation.h"
#include "kit/foundation/general_error.h"
#include "kit/foundation/log.h"
#include "kit/foundation/report_error.h"
#include "kit/foundation/zv_app.h"
#include "platform/core/executor.h"
#include "platform/prefs/user_defaults.h"
#include "platform/process/detached_process.h"

namespace kit {

namespace {

bool relaunchInProgress = false;

bool startDetached(const std::string& program, const std::vector<std::string>& arguments, std::string& error) {
  auto failure = platform::startDetached(program, arguments);
  if (failure) error = *failure;
  return !failure;
}

InstanceStarter& instanceStarter() {
  static InstanceStarter starter = startDetached;
  return starter;
}

void terminate(bool exitImmediately) {
  if (exitImmediately) std::exit(0);  // NOLINT(concurrency-mt-unsafe): asked to end at once, threads and all
  QCoreApplication::quit();
}

std::function<void(bool)>& terminator() {
  static std::function<void(bool)> value = terminate;
  return value;
}

std::function<void()>& openSettingsHandler() {
  static std::function<void()> handler;
  return handler;
}

void storeMarkers(bool wasRelaunched, bool showsSettings) {
  auto& suite = platform::UserDefaults::standard();
  Preferences::set(LaunchHistory::wasRelaunchedKey(suite), wasRelaunched);
  if (showsSettings || !wasRelaunched)
    Preferences::set(LaunchHistory::showsSettingsAfterRelaunchKey(suite), showsSettings);
  suite.flush();
}

void clearRelaunchState() {
  relaunchInProgress = false;
  storeMarkers(false, false);
}

GeneralError relaunchError(const std::string& description) {
  return GeneralError("Could not restart " + ZvApp::name() + ": " + description);
}

// The alert is shown unless the caller asked for a quiet failure.
bool showsAlert(const RelaunchOptions& options) { return !options.exitImmediately && !options.reportFailureOnly; }

// A failed start is always reported; answers whether the alert is shown too.
bool reportsAndShowsAlert(const RelaunchOptions& options, const GeneralError& error, platform::UserInfo userInfo) {
  ZvApp::reportError(error, std::move(userInfo));
  return showsAlert(options);
}

// The installed program of the same name, when it is not the running one.
std::optional<std::string> installedExecutableElsewhere() {
  const QString found = QStandardPaths::findExecutable(QStringLiteral("quillet"));
  if (found.isEmpty()) return std::nullopt;
  std::error_code ignored;
  if (std::filesystem::equivalent(found.toStdString(), AppFacts::url(), ignored)) return std::nullopt;
  return found.toStdString();
}

}  // namespace

void setInstanceStarterForTesting(const InstanceStarter& starter) {
  instanceStarter() = starter ? starter : startDetached;
}

void setRelaunchTerminatorForTesting(const std::function<void(bool)>& value) {
  terminator() = value ? value : terminate;
  relaunchInProgress = false;
}

std::vector<std::string> shellRelaunchArguments(const std::filesystem::path& executable) {
  return {"-c", "sleep 0.2; exec \"$0\" \"$@\"", executable.string(), relaunchArgument};
}

void relaunchUsingShell(bool exitImmediately, bool reportFailureOnly) {
  std::string failure;
  if (instanceStarter()("/bin/sh", shellRelaunchArguments(AppFacts::url()), failure)) {
    terminator()(exitImmediately);
    return;
  }
  const auto error = relaunchError(failure);
  if (reportsAndShowsAlert({.exitImmediately = exitImmediately, .reportFailureOnly = reportFailureOnly}, error, {}))
    presentAsModal(error);
  clearRelaunchState();
}

platform::Task<void> relaunch(RelaunchOptions options) {
  if (relaunchInProgress) co_return;
  relaunchInProgress = true;
  storeMarkers(true, options.showSettingsAfterRelaunch);

  if (options.useShell) {
    relaunchUsingShell(options.exitImmediately, options.reportFailureOnly);
    co_return;
  }

  std::string failure;
  const std::vector<std::string> arguments{relaunchArgument};
  if (instanceStarter()(AppFacts::url().string(), arguments, failure)) {
    terminator()(options.exitImmediately);
    co_return;
  }
  platform::UserInfo userInfo;
  if (auto elsewhere = installedExecutableElsewhere()) {
    std::string fallbackFailure;
    if (instanceStarter()(*elsewhere, arguments, fallbackFailure)) {
      terminator()(options.exitImmediately);
      co_return;
    }
    failure = fallbackFailure;
    // Marked only where the report comes with an alert.
    if (showsAlert(options)) userInfo["isFallback"] = true;
  }
  const auto error = relaunchError(failure);
  if (reportsAndShowsAlert(options, error, userInfo)) co_await presentAsModalAsync(error);
  clearRelaunchState();
}

void requestRelaunch(RelaunchOptions options) {
  platform::spawn(platform::mainExecutor(), [options] { return relaunch(options); });
}

void openSettings() {
  if (!openSettingsHandler()) {
    log({"No settings window to open"}, LogType::info, "openSettings()");
    return;
  }
  if (QCoreApplication::instance()) alertPresenter().activateApp();
  openSettingsHandler()();
}

void setOpenSettingsHandler(std::function<void()> handler) { openSettingsHandler() = std::move(handler); }

}  // namespace kit
