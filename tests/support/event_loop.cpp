#include "support/event_loop.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <thread>

namespace eventloop {

namespace {

int argc = 1;
char name[] = "quillet-test";
char* argv[] = {name, nullptr};

}  // namespace

void ensureCoreApplication() {
  if (QCoreApplication::instance() == nullptr) new QCoreApplication(argc, argv);
}

void ensureGuiApplication() {
  if (QCoreApplication::instance() == nullptr) new QGuiApplication(argc, argv);
}

bool processEventsUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

}  // namespace eventloop
