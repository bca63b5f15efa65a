#include "app/remove_tracking_parameters_command.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <sstream>

namespace {

TEST(RemoveTrackingParametersCommand, PrintsEachCleanedUrlInOrderAndPassesOnWhatIsNoUrl) {
  std::ostringstream out;
  std::ostringstream err;
  const int status = app::runRemoveTrackingParametersCommand(
      {"https://example.com/a?utm_source=x&id=1", "not a url", "https://youtu.be/abc?si=s&t=3", "www.example.com/?a=1",
       "https://acme.okta.com/?utm_source=x", "https://example.com/plain"},
      out, err);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(out.str(),
            "https://example.com/a?id=1\n"
            "not a url\n"
            "https://youtube.com/watch?v=abc&t=3\n"
            "www.example.com/?a=1\n"
            "https://acme.okta.com/?utm_source=x\n"
            "https://example.com/plain\n");
  EXPECT_NE(err.str().find("\"not a url\" is not a URL"), std::string::npos);
  EXPECT_NE(err.str().find("\"www.example.com/?a=1\" is not a URL"), std::string::npos);
}

TEST(RemoveTrackingParametersCommand, SucceedsWhenEveryArgumentIsAUrlAndNeedsAtLeastOne) {
  std::ostringstream out;
  std::ostringstream err;
  EXPECT_EQ(app::runRemoveTrackingParametersCommand({"mailto:a@example.com?utm_source=x"}, out, err), 0);
  EXPECT_EQ(out.str(), "mailto:a@example.com\n");
  EXPECT_TRUE(err.str().empty());
  EXPECT_EQ(app::runRemoveTrackingParametersCommand({}, out, err), 2);
}

TEST(RemoveTrackingParametersCommand, TheProgramRunsTheCommand) {
  const std::filesystem::path program = std::filesystem::path(QUILLET_BIN_DIR) / "quillet";
  if (!std::filesystem::exists(program)) GTEST_SKIP() << "the program is not built";
  const std::string command =
      program.string() +
      " remove-tracking-parameters 'https://x.example/?fbclid=1&k=2' 'a b' 'https://x.example/' 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string output;
  char buffer[256];
  while (const auto read = fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, read);
  const int status = pclose(pipe);
  EXPECT_EQ(output, "https://x.example/?k=2\na b\nhttps://x.example/\n");
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
}

}  // namespace
