// The tray icon on a desktop that shows status-notifier items: a small watcher of our own, in a child process on
// the test's private session bus, stands in for the panel. The item registers, is not reported hidden, and its
// activation from the bus opens our menu.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QObject>
#include <QStringList>
#include <chrono>

#include "app/menu_bar_controller.h"
#include "e2e/x11_session_support.h"
#include "engine/pasteboard_controller.h"
#include "engine/preference_keys.h"
#include "kit/ui/status_item_visibility.h"

// The panel's side of the protocol: it takes registrations and says that a host shows them.
class FakeStatusNotifierWatcher : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
  Q_PROPERTY(bool IsStatusNotifierHostRegistered READ isHostRegistered)
  Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ registeredItems)
  Q_PROPERTY(int ProtocolVersion READ protocolVersion)

 public:
  bool isHostRegistered() const { return true; }
  QStringList registeredItems() const { return items_; }
  int protocolVersion() const { return 0; }

 public Q_SLOTS:
  Q_SCRIPTABLE void RegisterStatusNotifierItem(const QString& service) {
    items_ << service;
    Q_EMIT StatusNotifierItemRegistered(service);
  }
  Q_SCRIPTABLE void RegisterStatusNotifierHost(const QString&) {}

 Q_SIGNALS:
  Q_SCRIPTABLE void StatusNotifierItemRegistered(const QString& service);
  Q_SCRIPTABLE void StatusNotifierHostRegistered();

 private:
  QStringList items_;
};

namespace app {
namespace {

using namespace std::chrono_literals;
namespace Keys = kit::Preferences::Keys;

pid_t startWatcher() {
  const pid_t pid = fork();
  if (pid != 0) return pid;
  int argc = 1;
  char name[] = "fake-watcher";
  char* argv[] = {name, nullptr};
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QCoreApplication application(argc, argv);
  FakeStatusNotifierWatcher watcher;
  QDBusConnection bus = QDBusConnection::sessionBus();
  bus.registerObject("/StatusNotifierWatcher", &watcher,
                     QDBusConnection::ExportScriptableSlots | QDBusConnection::ExportScriptableSignals |
                         QDBusConnection::ExportAllProperties);
  if (!bus.registerService("org.kde.StatusNotifierWatcher")) _exit(3);
  _exit(application.exec());
}

class StatusNotifierTrayTest : public x11test::SessionTest {
 protected:
  static void SetUpTestSuite() {
    // Forked before this process starts any Qt threads.
    watcherPid = startWatcher();
    SessionTest::SetUpTestSuite();
    ASSERT_TRUE(x11test::processEventsUntil(
        [] {
          return QDBusConnection::sessionBus()
              .interface()
              ->isServiceRegistered("org.kde.StatusNotifierWatcher")
              .value();
        },
        10s));
  }
  static void TearDownTestSuite() {
    kill(watcherPid, SIGTERM);
    waitpid(watcherPid, nullptr, 0);
  }
  static inline pid_t watcherPid = -1;
};

TEST_F(StatusNotifierTrayTest, TheItemRegistersAndItsActivationOpensTheMenu) {
  kit::Preferences::removeAll();
  engine::PasteboardController engine(platform::generalPasteboard());
  MenuBarController controller(&engine);
  controller.isFirstLaunch = [] { return false; };

  std::vector<std::string> registered;
  ASSERT_TRUE(x11test::processEventsUntil(
      [&] {
        auto state = kit::statusNotifierWatcherState();
        if (state) registered = state->registeredItems;
        return !registered.empty();
      },
      10s));
  ASSERT_EQ(registered.size(), 1u);
  EXPECT_TRUE(controller.isStatusItemVisible());
  EXPECT_FALSE(kit::isHiddenFromMenuBar(controller.statusItem()));

  // The panel activates the item the way a click on it does.
  const std::string service = registered.front().substr(0, registered.front().find('/'));
  x11test::ChildProcess activate({"gdbus", "call", "--session", "--dest", service, "--object-path",
                                  "/StatusNotifierItem", "--method", "org.kde.StatusNotifierItem.Activate", "10",
                                  "10"});
  ASSERT_TRUE(x11test::processEventsUntil([&] { return controller.menu().isVisible(); }));
  EXPECT_GT(controller.menu().actions().size(), 5);
  controller.menu().hide();

  // The panel's context request comes once the button is up: it toggles automatic clearing at once.
  ASSERT_TRUE(kit::Preferences::get(Keys::automaticallyClearFormatting()));
  x11test::ChildProcess context({"gdbus", "call", "--session", "--dest", service, "--object-path",
                                 "/StatusNotifierItem", "--method", "org.kde.StatusNotifierItem.ContextMenu", "10",
                                 "10"});
  EXPECT_TRUE(x11test::processEventsUntil([] { return !kit::Preferences::get(Keys::automaticallyClearFormatting()); }));
  EXPECT_FALSE(controller.menu().isVisible());

  // An item the program hid itself is never reported as hidden by the desktop.
  controller.statusItem().setVisible(false);
  EXPECT_FALSE(kit::isHiddenFromMenuBar(controller.statusItem()));
}

}  // namespace
}  // namespace app

#include "tray_status_notifier_test.moc"
