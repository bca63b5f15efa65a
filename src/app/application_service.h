#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusContext>
#include <QObject>
#include <QStringList>
#include <QVariantMap>
#include <optional>
#include <string>
#include <vector>

#include "app_identity.h"

namespace app {

class AppDelegate;

// The bus name and the object's path are the application's identity (app_identity.h).
inline constexpr const char* applicationInterface = "org.freedesktop.Application";
inline constexpr const char* intentsInterface = QUILLET_INTENTS_INTERFACE;
// The desktop action that clears the clipboard's formatting.
inline constexpr const char* clearClipboardFormattingAction = "clear-clipboard-formatting";

// The program's object on the session bus: activation (launching again reopens the running instance) and
// the two intents. The bus gives the call's context (to reply with an error) to the exported object, not to
// its adaptors.
class ApplicationService : public QObject, public QDBusContext {
  Q_OBJECT
 public:
  explicit ApplicationService(AppDelegate& delegate);

  void activate();
  // False for an action the program does not have.
  bool activateAction(const QString& name);
  // A call over the bus is answered once the pass is done.
  void clearClipboardFormatting();
  // One line for each text, in order: each URL cleaned, a text that is not a URL unchanged.
  QStringList removeTrackingParametersFromURLs(const QStringList& urls);

 private:
  AppDelegate& delegate_;
};

class FreedesktopApplicationAdaptor : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")
 public:
  explicit FreedesktopApplicationAdaptor(ApplicationService* service);
 public Q_SLOTS:
  // The slots are the interface's methods, named as the bus names them.
  // NOLINTBEGIN(readability-identifier-naming)
  void Activate(const QVariantMap& platformData);
  void Open(const QStringList& uris, const QVariantMap& platformData);
  void ActivateAction(const QString& actionName, const QVariantList& parameter, const QVariantMap& platformData);
  // NOLINTEND(readability-identifier-naming)

 private:
  ApplicationService* service_;
};

class IntentsAdaptor : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", QUILLET_INTENTS_INTERFACE)
 public:
  explicit IntentsAdaptor(ApplicationService* service);
 public Q_SLOTS:
  // The slots are the interface's methods, named as the bus names them.
  // NOLINTBEGIN(readability-identifier-naming)
  void ClearClipboardFormatting();
  QStringList RemoveTrackingParametersFromURLs(const QStringList& urls);
  // NOLINTEND(readability-identifier-naming)

 private:
  ApplicationService* service_;
};

enum class InstanceClaim {
  owner,            // this process owns the bus name and serves the object
  reopenedRunning,  // another instance runs and was asked to reopen
  noSessionBus,     // no session bus: the program runs without single-instance protection
  failed,           // the name stayed taken (a relaunch whose old instance did not let go)
};

// Exports the service and takes the bus name. With `relaunched`, waits up to 5 seconds for the instance
// that is relaunching to give the name up instead of reopening it.
InstanceClaim claimSingleInstance(ApplicationService& service, bool relaunched);

}  // namespace app
