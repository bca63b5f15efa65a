#include "platform/core/log_sink.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace {

// Standard output sent into a pipe, fully buffered as it is when a program's output goes to another program.
class StandardOutputPipe {
 public:
  StandardOutputPipe() {
    std::fflush(stdout);
    saved_ = ::dup(STDOUT_FILENO);
    EXPECT_EQ(::pipe2(ends_, O_CLOEXEC | O_NONBLOCK), 0);
    ::dup2(ends_[1], STDOUT_FILENO);
    std::setvbuf(stdout, nullptr, _IOFBF, BUFSIZ);
  }
  ~StandardOutputPipe() {
    std::fflush(stdout);
    ::dup2(saved_, STDOUT_FILENO);
    std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);
    for (int descriptor : {saved_, ends_[0], ends_[1]}) ::close(descriptor);
  }

  // What has reached the pipe so far, without flushing anything.
  std::string arrived() const {
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = ::read(ends_[0], buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<size_t>(n));
    return text;
  }

 private:
  int saved_ = -1;
  int ends_[2] = {-1, -1};
};

TEST(StandardOutputLineTest, ReachesTheReaderWholeAndAtOnceWithItsLineEnd) {
  StandardOutputPipe output;
  platform::printLineToStandardOutput("Finished clearing");
  EXPECT_EQ(output.arrived(), "Finished clearing\n");

  // Longer than the stream's buffer, with bytes that C strings would stop at or that look like formats.
  std::string line(3 * BUFSIZ, 'x');
  line[10] = '\0';
  line[20] = '%';
  line[21] = 's';
  platform::printLineToStandardOutput(line);
  platform::printLineToStandardOutput("");
  EXPECT_EQ(output.arrived(), line + "\n\n");
}

}  // namespace
