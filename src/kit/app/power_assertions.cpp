#include "kit/app/power_assertions.h"

#include "kit/foundation/general_error.h"
#include "kit/foundation/report_error.h"

namespace kit {

namespace {

constexpr int logindTimeoutMs = 500;

}  // namespace

ProcessPowerAssertion::ProcessPowerAssertion(const platform::InhibitorLock& lock)
    : type(lock.what), name(lock.who), properties{{"what", lock.what},        {"who", lock.who},
                                                  {"why", lock.why},          {"mode", lock.mode},
                                                  {"uid", int64_t{lock.uid}}, {"pid", int64_t{lock.pid}}} {
  if (type.empty()) ZvApp::reportError(GeneralError(".type should not be empty"), properties);
}

ProcessPowerAssertions processPowerAssertions(const std::vector<platform::InhibitorLock>& locks) {
  ProcessPowerAssertions byProcess;
  for (const auto& lock : locks) byProcess[ZvProcessID(static_cast<int32_t>(lock.pid))].emplace_back(lock);
  return byProcess;
}

ProcessPowerAssertions processPowerAssertions() {
  QDBusConnection bus = QDBusConnection::systemBus();
  return processPowerAssertions(platform::listInhibitorLocks(bus, logindTimeoutMs));
}

}  // namespace kit
