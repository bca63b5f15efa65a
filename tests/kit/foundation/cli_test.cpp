#include "kit/foundation/cli.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <thread>

#include "kit/foundation/general_error.h"
#include "kit/foundation/log.h"

namespace {

namespace CLI = kit::CLI;
using Named = std::map<std::string, CLI::NamedArgument>;

CLI::ParsedArguments parse(std::vector<std::string> arguments) { return CLI::parseArguments(arguments); }

TEST(CommandLine, ArgumentsParseIntoPositionalAndNamedValues) {
  EXPECT_TRUE(parse({}).positional.empty());
  EXPECT_TRUE(parse({"--"}).named.empty());
  EXPECT_TRUE(parse({"--", "a", "b"}).positional.empty());
  auto stopped = parse({"a", "--", "--b", "c"});
  EXPECT_EQ(stopped.positional, (std::vector<std::string>{"a"}));
  EXPECT_TRUE(stopped.named.empty());
  EXPECT_EQ(parse({"--verbose"}).named, (Named{{"verbose", true}}));
  auto valued = parse({"--name", "x", "y"});
  EXPECT_EQ(valued.named, (Named{{"name", std::string("x")}}));
  EXPECT_EQ(valued.positional, (std::vector<std::string>{"y"}));
  EXPECT_EQ(parse({"--a", "--b", "v"}).named, (Named{{"a", true}, {"b", std::string("v")}}));
  EXPECT_EQ(parse({"--k", "1", "--k", "2"}).named, (Named{{"k", std::string("2")}}));
  EXPECT_EQ(parse({"--k", "1", "--k"}).named, (Named{{"k", true}}));
  EXPECT_EQ(parse({"-v", "file"}).positional, (std::vector<std::string>{"-v", "file"}));
  EXPECT_EQ(parse({"--n", "-5"}).named, (Named{{"n", std::string("-5")}}));
  EXPECT_EQ(parse({"--key=value"}).named, (Named{{"key=value", true}}));
}

TEST(CommandLine, TheProgramIsNamedByAnAbsolutePathThatSurvivesAChangeOfDirectory) {
  EXPECT_EXIT(
      {
        const auto program = CLI::executablePath();
        if (chdir("/") != 0) std::exit(2);
        std::error_code error;
        const bool same = std::filesystem::equivalent(CLI::executablePath(), "/proc/self/exe", error);
        std::exit(program.is_absolute() && same && CLI::name() == program.filename() ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

class Pipe {
 public:
  Pipe() { EXPECT_EQ(pipe(ends_), 0); }
  ~Pipe() {
    closeWriter();
    close(ends_[0]);
  }
  int reader() const { return ends_[0]; }
  int writer() const { return ends_[1]; }
  void closeWriter() {
    if (ends_[1] >= 0) close(ends_[1]);
    ends_[1] = -1;
  }
  std::string drain() {
    closeWriter();
    return CLI::FileHandle(reader()).readToEnd();
  }

 private:
  int ends_[2] = {-1, -1};
};

class StandardStreams : public ::testing::Test {
 protected:
  void TearDown() override {
    CLI::setStandardInput(CLI::FileHandle(STDIN_FILENO));
    CLI::setStandardError(CLI::FileHandle(STDERR_FILENO));
  }
  static void feed(Pipe& pipe, std::string_view text) {
    CLI::FileHandle(pipe.writer()).write(text);
    pipe.closeWriter();
    CLI::setStandardInput(CLI::FileHandle(pipe.reader()));
  }
};

TEST_F(StandardStreams, InputTextDropsOneFinalLineBreakAndRejectsInvalidUtf8) {
  Pipe twoBreaks;
  feed(twoBreaks, "text\n\n");
  EXPECT_EQ(CLI::standardInputString(), "text\n");
  Pipe plain;
  feed(plain, "whole");
  EXPECT_EQ(CLI::standardInputString(), "whole");
  Pipe invalid;
  feed(invalid, "bad \xff");
  EXPECT_EQ(CLI::standardInputString(), std::nullopt);
}

TEST_F(StandardStreams, InputIsReadToTheEndEvenFromASlowWriter) {
  Pipe pipe;
  CLI::setStandardInput(CLI::FileHandle(pipe.reader()));
  std::string chunk(100'000, 'x');
  std::thread writer([&] {
    CLI::FileHandle(pipe.writer()).write(chunk);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    CLI::FileHandle(pipe.writer()).write(chunk);
    pipe.closeWriter();
  });
  EXPECT_EQ(CLI::standardInputData().size(), 200'000u);
  writer.join();
}

TEST_F(StandardStreams, LinesAndErrorOutput) {
  Pipe input;
  feed(input, "one\r\ntwo\r\nthree");
  EXPECT_EQ(CLI::readLine(), "one");
  EXPECT_EQ(CLI::readLine(false), "two\r\n");
  EXPECT_EQ(CLI::readLine(false), "three");
  EXPECT_EQ(CLI::readLine(), std::nullopt);

  Pipe error;
  CLI::setStandardError(CLI::FileHandle(error.writer()));
  CLI::printToStandardError({"a", "b"});
  CLI::printToStandardError({"c"}, ",", "");
  CLI::printToStandardError({"|", 1, true, 0.5, std::optional<int>(2), std::vector<std::string>{"x"}}, ";", "|");
  EXPECT_EQ(error.drain(), "a b\nc|;1;true;0.5;Optional(2);[\"x\"]|");
}

TEST_F(StandardStreams, FailedWritesAreReportedNotThrown) {
  kit::debugLogStore().clear();
  CLI::FileHandle(-1).write("lost");
  auto entries = kit::debugLogStore().entries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_NE(entries[0].find("Bad file descriptor"), std::string::npos) << entries[0];
}

TEST(ExitOnError, FailureIsPrintedAndEndsWithStatusOne) {
  EXPECT_EXIT(CLI::exitOnError([] { throw kit::GeneralError("Boom."); }), ::testing::ExitedWithCode(1), "^Boom.\n$");
  bool ran = false;
  CLI::exitOnError([&] { ran = true; });
  EXPECT_TRUE(ran);
}

TEST(SwitchToRealUser, MissingOrMalformedEntriesChangeNothing) {
  for (const char* value : {"", "abc", "12x", "-5", "4294967295", "99999999999"}) {
    EXPECT_EXIT(
        {
          setenv("SUDO_UID", value, 1);
          uid_t before = getuid();
          CLI::switchToRealUser();
          std::exit(getuid() == before ? 0 : 2);
        },
        ::testing::ExitedWithCode(0), "")
        << value;
  }
}

TEST(SwitchToRealUser, DropsGroupsAndUserOrStops) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root";
  EXPECT_EXIT(
      {
        setenv("SUDO_UID", "65534", 1);
        setenv("SUDO_GID", "65533", 1);
        CLI::switchToRealUser();
        gid_t groups[8];
        int count = getgroups(8, groups);
        bool dropped = getuid() == 65534 && geteuid() == 65534 && getgid() == 65533 && count == 1 &&
                       groups[0] == 65533 && setuid(0) != 0;
        std::exit(dropped ? 0 : 2);
      },
      ::testing::ExitedWithCode(0), "");
  // Once the rights are gone, another switch is refused: the process must stop rather than run on.
  EXPECT_EXIT(
      {
        if (setuid(65534) != 0) std::exit(3);
        setenv("SUDO_UID", "1", 1);
        unsetenv("SUDO_GID");
        CLI::switchToRealUser();
        std::exit(0);
      },
      ::testing::ExitedWithCode(1), "Couldn't switch to the invoking user \\(user 1\\)");

  // A user that the group database names as a member of a group other than its own keeps that group.
  struct Member {
    uid_t uid;
    gid_t ownGroup, otherGroup;
  };
  std::optional<Member> member;
  setgrent();
  for (group* entry; !member && (entry = getgrent()) != nullptr;) {
    for (char** name = entry->gr_mem; *name && !member; ++name) {
      if (passwd* user = getpwnam(*name); user && user->pw_gid != entry->gr_gid)
        member = Member{user->pw_uid, user->pw_gid, entry->gr_gid};
    }
  }
  endgrent();
  if (!member) return;
  EXPECT_EXIT(
      {
        setenv("SUDO_UID", std::to_string(member->uid).c_str(), 1);
        setenv("SUDO_GID", std::to_string(member->ownGroup).c_str(), 1);
        CLI::switchToRealUser();
        gid_t groups[64];
        int count = getgroups(64, groups);
        std::exit(std::count(groups, groups + std::max(count, 0), member->otherGroup) == 1 ? 0 : 2);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
