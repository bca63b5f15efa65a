#include "platform/system/application_identity.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/core/own_executable.h"

namespace {

// A child that sleeps with an environment of its own, so that its files under /proc are ours to read.
class SleepingChild {
 public:
  explicit SleepingChild(const char* environmentEntry) {
    pid_ = ::fork();
    if (pid_ == 0) {
      char* const arguments[] = {const_cast<char*>("sleep"), const_cast<char*>("30"), nullptr};
      char* const environment[] = {const_cast<char*>("LANG=C"), const_cast<char*>(environmentEntry), nullptr};
      ::execve("/bin/sleep", arguments, environment);
      ::_exit(127);
    }
  }
  ~SleepingChild() {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
  pid_t pid() const { return pid_; }

  // Until the child runs the program it was started for.
  bool execed() const {
    for (int tries = 0; tries < 500; ++tries) {
      if (auto exe = platform::executableOfProcess(pid_); exe && exe->filename() == "sleep") return true;
      ::usleep(10'000);
    }
    return false;
  }

 private:
  pid_t pid_;
};

TEST(ProcessIdentityTest, ReadsTheProcessFilesOfARunningProcessAndNothingForAMissingOne) {
  EXPECT_EQ(platform::executableOfProcess(getpid()), platform::ownExecutable());
  // The kernel keeps the first 15 bytes of the program's name, with a line end that is not part of it.
  EXPECT_EQ(platform::commandNameOfProcess(getpid()), "test_platform_s");

  SleepingChild child("FLATPAK_ID=org.example.Sandboxed");
  ASSERT_GT(child.pid(), 0);
  ASSERT_TRUE(child.execed());
  // The id stands after another entry of the NUL-separated environment.
  EXPECT_EQ(platform::applicationIdOfProcess(child.pid()), "org.example.Sandboxed");

  EXPECT_EQ(platform::commandNameOfProcess(-1), std::nullopt);
  EXPECT_EQ(platform::applicationIdOfProcess(0), std::nullopt);
}

}  // namespace
