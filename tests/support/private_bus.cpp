#include "support/private_bus.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QMetaObject>

namespace bustest {

PrivateBus::PrivateBus() {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return;
  pid_ = fork();
  if (pid_ == 0) {
    // The daemon goes with the test program, even one that crashes, and keeps none of its output streams open.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    int null = open("/dev/null", O_WRONLY);
    dup2(null, STDERR_FILENO);
    dup2(pipeFds[1], STDOUT_FILENO);
    close(pipeFds[0]);
    close(pipeFds[1]);
    execlp("dbus-daemon", "dbus-daemon", "--session", "--nofork", "--nopidfile", "--print-address=1", nullptr);
    _exit(127);
  }
  close(pipeFds[1]);
  char buffer[512];
  std::string line;
  while (line.find('\n') == std::string::npos) {
    ssize_t n = read(pipeFds[0], buffer, sizeof buffer);
    if (n <= 0) break;
    line.append(buffer, static_cast<size_t>(n));
  }
  close(pipeFds[0]);
  address_ = line.substr(0, line.find('\n'));
}

PrivateBus::~PrivateBus() {
  for (const QString& name : connectionNames_) QDBusConnection::disconnectFromBus(name);
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  waitpid(pid_, nullptr, 0);
}

QDBusConnection PrivateBus::connect(const QString& name) const {
  if (!connectionNames_.contains(name)) connectionNames_.append(name);
  return QDBusConnection::connectToBus(QString::fromStdString(address_), name);
}

ServiceThread::ServiceThread() : context_(new QObject) {
  context_->moveToThread(&thread_);
  thread_.start();
}

ServiceThread::~ServiceThread() {
  QMetaObject::invokeMethod(
      context_, [this] { delete context_; }, Qt::BlockingQueuedConnection);
  thread_.quit();
  thread_.wait();
}

void ServiceThread::run(const std::function<void()>& work) {
  QMetaObject::invokeMethod(context_, work, Qt::BlockingQueuedConnection);
}

}  // namespace bustest
