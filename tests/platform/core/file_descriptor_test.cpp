#include "platform/core/file_descriptor.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>

using namespace platform;

namespace {

bool isOpenInProcess(int descriptor) { return ::fcntl(descriptor, F_GETFD) != -1 || errno != EBADF; }

TEST(FileDescriptorTest, ClosesWhatItOwnsExactlyOnceWhereverItsOwnershipEnds) {
  int raw = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  ASSERT_GE(raw, 0);
  {
    FileDescriptor first(raw);
    FileDescriptor moved(std::move(first));
    EXPECT_FALSE(first.isOpen());
    EXPECT_EQ(moved.get(), raw);
    FileDescriptor assigned;
    assigned = std::move(moved);
    EXPECT_TRUE(isOpenInProcess(raw));
  }
  EXPECT_FALSE(isOpenInProcess(raw));

  FileDescriptor replaced(::open("/dev/null", O_RDONLY | O_CLOEXEC));
  int old = replaced.get();
  replaced.reset(::open("/dev/null", O_RDONLY | O_CLOEXEC));
  EXPECT_FALSE(isOpenInProcess(old));
  EXPECT_TRUE(replaced.close());
  EXPECT_FALSE(replaced.isOpen());
  EXPECT_TRUE(replaced.close());  // nothing left to close

  FileDescriptor released(::open("/dev/null", O_RDONLY | O_CLOEXEC));
  int kept = released.release();
  { FileDescriptor gone(std::move(released)); }
  EXPECT_TRUE(isOpenInProcess(kept));
  ::close(kept);

  FileDescriptor failed(-1);  // a failed open owns nothing
  EXPECT_FALSE(failed);
}

}  // namespace
