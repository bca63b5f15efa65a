#include "platform/core/thread_name.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <future>
#include <set>
#include <string>
#include <thread>

#include "platform/core/deadline_queue.h"
#include "platform/core/executor.h"
#include "platform/core/periodic_thread.h"

namespace platform {
namespace {

using namespace std::chrono_literals;

std::set<std::string> threadNames() {
  std::set<std::string> names;
  for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
    std::ifstream comm(task.path() / "comm");
    std::string name;
    if (std::getline(comm, name)) names.insert(name);
  }
  return names;
}

TEST(ThreadNameTest, TheThreadsTheCoreStartsSayWhichTheyAre) {
  std::promise<void> named;
  std::promise<void> done;
  std::thread own([&] {
    nameThisThread("q-a-name-longer-than-fifteen");
    named.set_value();
    done.get_future().wait();
  });
  named.get_future().wait();
  EXPECT_EQ(threadNames().count("q-a-name-longer"), 1u) << "cut at the 15 bytes the system keeps";
  done.set_value();
  own.join();

  std::promise<void> ranInPool, ranAfterDelay;
  globalExecutor().post([&] { ranInPool.set_value(); });
  DeadlineTimer::monotonic().scheduleAfter(1ms, [&] { ranAfterDelay.set_value(); });
  ranInPool.get_future().wait();
  ranAfterDelay.get_future().wait();
  std::promise<void> ticked;
  bool first = true;
  PeriodicThread sampler(1ms, 0ns, [&] {
    if (std::exchange(first, false)) ticked.set_value();
  });
  ticked.get_future().wait();

  const auto names = threadNames();
  for (const char* name : {"q-pool", "q-deadline-mono", "q-sampler"}) EXPECT_EQ(names.count(name), 1u) << name;
  sampler.stop();
}

}  // namespace
}  // namespace platform
