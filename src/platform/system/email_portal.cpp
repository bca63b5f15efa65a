#include "platform/system/email_portal.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusUnixFileDescriptor>
#include <QDBusVariant>

#include "platform/core/file_descriptor.h"
#include "platform/system/desktop_settings.h"

namespace platform {

namespace {

const QString emailInterface = QStringLiteral("org.freedesktop.portal.Email");
const QString requestInterface = QStringLiteral("org.freedesktop.portal.Request");
// Long enough for the bus to start a portal that is not running yet.
constexpr int callTimeoutMilliseconds = 10000;
// The version from which the portal takes a list of addresses rather than a single one.
constexpr uint addressListVersion = 3;

// The path at which the portal answers the request made with `token` on `bus`: its documented form, so the answer
// can be awaited before the call is made.
QString requestPath(const QDBusConnection& bus, const QString& token) {
  QString sender = bus.baseService();
  if (sender.startsWith(':')) sender.remove(0, 1);
  sender.replace('.', '_');
  return QStringLiteral("/org/freedesktop/portal/desktop/request/") + sender + '/' + token;
}

// Read-only descriptors of the files; none when one cannot be opened.
std::optional<QList<QDBusUnixFileDescriptor>> openForReading(const std::vector<std::filesystem::path>& files) {
  QList<QDBusUnixFileDescriptor> descriptors;
  for (const auto& file : files) {
    const FileDescriptor opened(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    if (!opened) return std::nullopt;
    descriptors.append(QDBusUnixFileDescriptor(opened.get()));  // keeps a duplicate
  }
  return descriptors;
}

EmailPortal::Outcome outcomeOfResponse(uint response) {
  switch (response) {
    case 0:
      return EmailPortal::Outcome::composed;
    case 1:
      return EmailPortal::Outcome::cancelled;
    default:
      return EmailPortal::Outcome::failed;
  }
}

}  // namespace

EmailPortal::EmailPortal(QDBusConnection bus) : bus_(std::move(bus)) {
  qDBusRegisterMetaType<QList<QDBusUnixFileDescriptor>>();
}

EmailPortal& EmailPortal::shared() {
  static auto* portal = new EmailPortal(QDBusConnection::sessionBus());  // lives for the process
  return *portal;
}

void EmailPortal::compose(const EmailDraft& draft, const std::function<void(Outcome)>& done) {
  auto answerLater = [this, done](Outcome outcome) {
    QMetaObject::invokeMethod(
        this, [done, outcome] { done(outcome); }, Qt::QueuedConnection);
  };
  const bool passesFiles = bus_.connectionCapabilities().testFlag(QDBusConnection::UnixFileDescriptorPassing);
  if (!bus_.isConnected() || (!draft.attachments.empty() && !passesFiles)) return answerLater(Outcome::unavailable);

  QDBusMessage get = QDBusMessage::createMethodCall(desktopPortalService, desktopPortalPath,
                                                    QStringLiteral("org.freedesktop.DBus.Properties"), "Get");
  get << emailInterface << QStringLiteral("version");
  auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(get, callTimeoutMilliseconds), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, draft, done](QDBusPendingCallWatcher* call) {
    call->deleteLater();
    const QDBusMessage reply = call->reply();
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return done(Outcome::unavailable);
    send(draft, unwrappedSettingValue(reply.arguments().first()).toUInt(), done);
  });
}

void EmailPortal::send(const EmailDraft& draft, uint version, std::function<void(Outcome)> done) {
  auto descriptors = openForReading(draft.attachments);
  if (!descriptors) return done(Outcome::unavailable);

  const QString token = QStringLiteral("quillet_email_%1").arg(++nextToken_);
  QVariantMap options{{"handle_token", token}, {"subject", QString::fromStdString(draft.subject)}};
  QStringList addresses;
  for (const auto& address : draft.addresses) addresses << QString::fromStdString(address);
  if (version >= addressListVersion) {
    options["addresses"] = addresses;
  } else if (!addresses.isEmpty()) {
    options["address"] = addresses.first();
  }
  if (draft.body) options["body"] = QString::fromStdString(*draft.body);
  if (!descriptors->isEmpty()) options["attachment_fds"] = QVariant::fromValue(*descriptors);

  // The answer may come before the call returns: it is awaited first.
  const QString expectedPath = requestPath(bus_, token);
  wait(expectedPath, std::move(done));
  QDBusMessage call =
      QDBusMessage::createMethodCall(desktopPortalService, desktopPortalPath, emailInterface, "ComposeEmail");
  call << QString() << options;
  auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call, callTimeoutMilliseconds), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, expectedPath](QDBusPendingCallWatcher* pending) {
    pending->deleteLater();
    const QDBusMessage reply = pending->reply();
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
      if (auto done = stopWaiting(expectedPath)) done(Outcome::unavailable);
      return;
    }
    // Older portals choose another path for the request.
    const QString handle = reply.arguments().first().value<QDBusObjectPath>().path();
    if (handle.isEmpty() || handle == expectedPath) return;
    if (auto done = stopWaiting(expectedPath)) wait(handle, std::move(done));
  });
}

void EmailPortal::wait(const QString& path, std::function<void(Outcome)> done) {
  waiting_[path] = std::move(done);
  bus_.connect(desktopPortalService, path, requestInterface, QStringLiteral("Response"), this,
               SLOT(responded(QDBusMessage)));
}

std::function<void(EmailPortal::Outcome)> EmailPortal::stopWaiting(const QString& path) {
  auto it = waiting_.find(path);
  if (it == waiting_.end()) return {};
  auto done = std::move(it->second);
  waiting_.erase(it);
  bus_.disconnect(desktopPortalService, path, requestInterface, QStringLiteral("Response"), this,
                  SLOT(responded(QDBusMessage)));
  return done;
}

void EmailPortal::responded(const QDBusMessage& message) {
  auto done = stopWaiting(message.path());
  if (!done) return;
  const QList<QVariant> arguments = message.arguments();
  done(arguments.isEmpty() ? Outcome::failed : outcomeOfResponse(arguments.first().toUInt()));
}

}  // namespace platform
