#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <QDBusConnection>
#include <QObject>
#include <QStringList>
#include <QThread>
#include <functional>
#include <memory>
#include <string>

namespace bustest {

// A D-Bus daemon of the test's own, so that a test can play system services; stopped by its process id at the end,
// after the connections made to it through connect() are closed. A test that fails half-way leaves no connection of
// that name behind: Qt would hand it to the next test, still pointing at this daemon.
class PrivateBus {
 public:
  PrivateBus();
  ~PrivateBus();
  PrivateBus(const PrivateBus&) = delete;
  PrivateBus& operator=(const PrivateBus&) = delete;

  const std::string& address() const { return address_; }
  // A new connection to the bus, known to Qt under `name`.
  QDBusConnection connect(const QString& name) const;

 private:
  pid_t pid_ = -1;
  std::string address_;
  mutable QStringList connectionNames_;
};

// The base of tests that play services on a bus: each test has a private bus of its own.
class PrivateBusTest : public ::testing::Test {
 protected:
  PrivateBus bus;
};

// Runs a service object on a thread of its own, as a service in another process would: calls made from the test's
// main thread are answered while that thread waits for the reply.
class ServiceThread {
 public:
  ServiceThread();
  ~ServiceThread();
  // Moves the object onto the service thread (it must have no parent).
  void adopt(QObject* object) { object->moveToThread(&thread_); }
  // Runs `work` on the service thread and waits for it.
  void run(const std::function<void()>& work);

 private:
  QThread thread_;
  QObject* context_;  // lives on the service thread
};

}  // namespace bustest
