#include "app/application_service.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QThread>
#include <chrono>
#include <functional>
#include <utility>

#include "app/app_main.h"
#include "app/intents.h"
#include "kit/foundation/log.h"

namespace app {

ApplicationService::ApplicationService(AppDelegate& delegate) : delegate_(delegate) {
  new FreedesktopApplicationAdaptor(this);
  new IntentsAdaptor(this);
}

void ApplicationService::activate() { delegate_.applicationShouldHandleReopen(false); }

bool ApplicationService::activateAction(const QString& name) {
  if (name != QLatin1String(clearClipboardFormattingAction)) return false;
  clearClipboardFormatting();
  return true;
}

void ApplicationService::clearClipboardFormatting() {
  std::function<void()> reply;
  if (calledFromDBus()) {
    // The caller hears back once the clipboard holds the cleaned text (or the pass found nothing to write).
    setDelayedReply(true);
    reply = [bus = connection(), answer = message().createReply()] { bus.send(answer); };
  }
  ClearFormattingIntent().perform(std::move(reply));
}

QStringList ApplicationService::removeTrackingParametersFromURLs(const QStringList& urls) {
  std::vector<std::string> texts;
  texts.reserve(urls.size());
  for (const QString& text : urls) texts.push_back(text.toStdString());
  const auto result = removeTrackingParametersLineByLine(texts);
  if (!result.notURLs.empty()) {
    kit::log({"RemoveTrackingParametersFromURLs:", notURLsSummary(result.notURLs)}, kit::LogType::info,
             "removeTrackingParametersFromURLs(_:)");
  }
  QStringList lines;
  for (const auto& line : result.lines) lines << QString::fromStdString(line);
  return lines;
}

FreedesktopApplicationAdaptor::FreedesktopApplicationAdaptor(ApplicationService* service)
    : QDBusAbstractAdaptor(service), service_(service) {}

void FreedesktopApplicationAdaptor::Activate(const QVariantMap&) { service_->activate(); }

// The program opens no documents: being asked to is the same as being launched again.
void FreedesktopApplicationAdaptor::Open(const QStringList&, const QVariantMap&) { service_->activate(); }

namespace {

// Answers the call being served with an "invalid arguments" error instead of its result.
void refuseCall(const ApplicationService& service, const QString& message) {
  if (service.calledFromDBus()) service.sendErrorReply(QDBusError::InvalidArgs, message);
}

}  // namespace

void FreedesktopApplicationAdaptor::ActivateAction(const QString& actionName, const QVariantList& parameter,
                                                   const QVariantMap&) {
  const QString known = QString::fromLatin1(clearClipboardFormattingAction);
  if (actionName != known) {
    refuseCall(*service_,
               QStringLiteral("Quillet has no action named \"%1\"; its one action is \"%2\"").arg(actionName, known));
  } else if (!parameter.isEmpty()) {
    refuseCall(*service_, QStringLiteral("The action \"%1\" takes no parameter").arg(known));
  } else {
    service_->activateAction(actionName);
  }
}

IntentsAdaptor::IntentsAdaptor(ApplicationService* service) : QDBusAbstractAdaptor(service), service_(service) {}

void IntentsAdaptor::ClearClipboardFormatting() { service_->clearClipboardFormatting(); }

QStringList IntentsAdaptor::RemoveTrackingParametersFromURLs(const QStringList& urls) {
  return service_->removeTrackingParametersFromURLs(urls);
}

InstanceClaim claimSingleInstance(ApplicationService& service, bool relaunched) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return InstanceClaim::noSessionBus;
  if (!bus.registerObject(QString::fromLatin1(identity::objectPath), &service, QDBusConnection::ExportAdaptors))
    return InstanceClaim::failed;

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (true) {
    auto reply = bus.interface()->registerService(QString::fromLatin1(identity::busName),
                                                  QDBusConnectionInterface::DontQueueService,
                                                  QDBusConnectionInterface::DontAllowReplacement);
    if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered) return InstanceClaim::owner;
    if (!relaunched) break;
    if (std::chrono::steady_clock::now() >= deadline) return InstanceClaim::failed;
    QThread::msleep(100);
  }
  bus.unregisterObject(QString::fromLatin1(identity::objectPath));

  auto call =
      QDBusMessage::createMethodCall(QString::fromLatin1(identity::busName), QString::fromLatin1(identity::objectPath),
                                     QString::fromLatin1(applicationInterface), QStringLiteral("Activate"));
  call << QVariantMap();
  const QDBusMessage answer = bus.call(call, QDBus::Block, 5000);
  if (answer.type() == QDBusMessage::ErrorMessage) {
    kit::log({"Could not reach the running instance:", answer.errorMessage().toStdString()}, kit::LogType::error,
             "claimSingleInstance()");
    return InstanceClaim::failed;
  }
  return InstanceClaim::reopenedRunning;
}

}  // namespace app
