#pragma once

#include <unordered_map>
#include <vector>

#include "kit/foundation/process_id.h"
#include "platform/core/error.h"
#include "platform/system/inhibitor_locks.h"

// What keeps the machine awake, process by process: logind's inhibitor locks.
namespace kit {

// One lock a process holds: what it blocks is its type, who took it its name, and all its fields (what, who, why,
// mode, uid, pid) are its properties.
struct ProcessPowerAssertion {
  std::string type;
  std::string name;
  platform::UserInfo properties;

  // A lock without a type is reported, with its properties; the record is made all the same.
  explicit ProcessPowerAssertion(const platform::InhibitorLock& lock);
};

using ProcessPowerAssertions = std::unordered_map<ZvProcessID, std::vector<ProcessPowerAssertion>>;

// The locks grouped by the process that holds them, each process's in the order logind lists them.
ProcessPowerAssertions processPowerAssertions(const std::vector<platform::InhibitorLock>& locks);
// The same, asked of logind on the system bus; throws the bus's failure. Main thread.
ProcessPowerAssertions processPowerAssertions();

}  // namespace kit
