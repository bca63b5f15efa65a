#include "platform/prefs/user_defaults.h"

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <mutex>
#include <regex>

#include "platform/core/file_reading.h"
#include "platform/core/notification_center.h"
#include "platform/prefs/plist_codec.h"
#include "platform/prefs/preference_file.h"
#include "support/preference_files.h"
#include "support/well_formed_xml.h"

using namespace platform;
using namespace std::chrono_literals;
using prefs_test::waitUntil;

namespace {

std::string fileText(const std::filesystem::path& path) { return readWholeFile(path).value_or(""); }

class UserDefaultsTest : public ::testing::Test {
 protected:
  UserDefaultsTest() { prefs_test::testMainExecutor(); }
  prefs_test::TemporaryConfigHome home;
  std::string name = prefs_test::uniqueSuiteName();
  std::filesystem::path file() const { return home.path() / (name + ".plist"); }
};

const PlistDate sampleDate = dateFromReferenceSeconds(-12345);
// Dates whose seconds from 2001 take more than 32 bits.
const PlistDate lateDate = std::chrono::sys_days(std::chrono::year(2099) / 6 / 1) + std::chrono::seconds(7);
const PlistDate earlyDate = std::chrono::sys_days(std::chrono::year(1902) / 3 / 1);

PlistDict everyKind() {
  return {{"flag", true},
          {"off", false},
          {"count", int64_t{42}},
          {"negative", int64_t{-7}},
          {"huge", int64_t{INT64_MAX}},
          {"unsigned", uint64_t{UINT64_MAX}},
          {"ratio", 0.25},
          {"text", "grüße <&> \"quoted\""},
          {"when", sampleDate},
          {"late", lateDate},
          {"early", earlyDate},
          {"blob", PlistData{std::string("\0\x01\xff", 3)}},
          {"list", PlistArray{"a", int64_t{1}, PlistArray{}}},
          {"nested", PlistDict{{"inner", PlistDict{{"deep", true}}}}}};
}

}  // namespace

TEST_F(UserDefaultsTest, EveryKindRoundTripsThroughTheFileAndAnotherReader) {
  {
    auto suite = UserDefaults::named(name);
    for (auto& [key, value] : everyKind()) suite->set(key, value);
    suite->flush();
  }
  auto reread = parsePropertyListDictionary(fileText(file()));
  ASSERT_TRUE(reread);
  EXPECT_EQ(*reread, everyKind());

  // plistutil turns our XML into a binary list and back: the kinds must survive a reader that is not us.
  auto bin = home.path() / "copy.bplist";
  prefs_test::commandOutput("plistutil -i '" + file().string() + "' -f bin -o '" + bin.string() + "'");
  std::string xml = prefs_test::commandOutput("plistutil -i '" + bin.string() + "' -f xml -o -");
  auto viaBinary = parsePropertyListDictionary(xml);
  ASSERT_TRUE(viaBinary);
  EXPECT_EQ(*viaBinary, everyKind());
  EXPECT_EQ(parsePropertyListDictionary(fileText(bin)), everyKind()) << "the binary list read as it is";
  auto element = [&](const std::string& key) {
    std::smatch m;
    std::regex re("<key>" + key + "</key>\\s*<([a-z]+)/?>\\s*([^<\\s]*)");
    return std::regex_search(xml, m, re) ? m[1].str() + ":" + m[2].str() : std::string("missing");
  };
  EXPECT_EQ(element("flag"), "true:");
  EXPECT_EQ(element("off"), "false:");
  EXPECT_EQ(element("count"), "integer:42");
  EXPECT_EQ(element("negative"), "integer:-7");
  EXPECT_EQ(element("unsigned"), "integer:18446744073709551615");
  EXPECT_EQ(element("late"), "date:2099-06-01T00:00:07Z");
  EXPECT_EQ(element("early"), "date:1902-03-01T00:00:00Z");
  EXPECT_EQ(element("ratio"), "real:0.25");
  EXPECT_EQ(element("text").substr(0, 7), "string:");
  EXPECT_EQ(element("when").substr(0, 5), "date:");
  EXPECT_EQ(element("blob"), "data:AAH/");
  EXPECT_EQ(element("list"), "array:");
  EXPECT_EQ(element("nested"), "dict:");

  // A new process (here: a new suite object) reads the same values back.
  auto again = UserDefaults::named(name);
  EXPECT_EQ(again->persistentDomain(), everyKind());
}

TEST_F(UserDefaultsTest, RegisteredDefaultsAreReadButNeverWritten) {
  {
    auto suite = UserDefaults::named(name);
    suite->registerDefaults({{"fallback", true}, {"both", int64_t{1}}});
    suite->registerDefaults({{"both", int64_t{2}}});  // the last registration wins
    EXPECT_EQ(suite->object("fallback"), PlistValue(true));
    EXPECT_EQ(suite->object("both"), PlistValue(int64_t{2}));
    EXPECT_EQ(suite->object("absent"), std::nullopt);

    suite->set("fallback", true);  // equal to the default, still stored
    suite->set("other", "x");
    suite->remove("both");  // nothing stored: the default stays visible
    EXPECT_EQ(suite->object("both"), PlistValue(int64_t{2}));
    EXPECT_EQ(suite->dictionaryRepresentation().size(), 3u);
    suite->flush();
  }
  auto stored = parsePropertyListDictionary(fileText(file()));
  ASSERT_TRUE(stored);
  EXPECT_EQ(*stored, (PlistDict{{"fallback", true}, {"other", "x"}}));
}

TEST_F(UserDefaultsTest, WritesReachTheFileSoonWithoutAnExplicitFlush) {
  auto suite = UserDefaults::named(name);
  for (int i = 0; i < 100; ++i) suite->set("counter", int64_t{i});
  EXPECT_TRUE(waitUntil([&] {
    auto dict = parsePropertyListDictionary(fileText(file()));
    return dict && dict->count("counter") && dict->at("counter") == PlistValue(int64_t{99});
  }));
}

TEST_F(UserDefaultsTest, AFileRemovedFromUnderTheSuiteIsWrittenAgainWithEveryValue) {
  auto suite = UserDefaults::named(name);
  suite->set("kept", "value");
  suite->flush();
  std::filesystem::remove(file());  // moved to the trash, say
  suite->set("later", true);
  suite->flush();
  EXPECT_EQ(parsePropertyListDictionary(fileText(file())), (PlistDict{{"kept", "value"}, {"later", true}}));
}

TEST_F(UserDefaultsTest, ObservationDeliversOldAndNewValuesUntilItEnds) {
  auto suite = UserDefaults::named(name);
  suite->registerDefaults({{"key", "default"}});
  std::vector<UserDefaults::Change> seen;
  auto token = suite->observe("key", {.initial = true, .prior = true},
                              [&](const UserDefaults::Change& c) { seen.push_back(c); });
  ASSERT_EQ(seen.size(), 1u);  // the initial value
  EXPECT_EQ(seen[0].newValue, PlistValue("default"));
  EXPECT_FALSE(seen[0].oldValue);

  suite->set("key", "one");
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_TRUE(seen[1].isPrior);
  EXPECT_EQ(seen[1].oldValue, PlistValue("default"));
  EXPECT_FALSE(seen[1].newValue);
  EXPECT_EQ(seen[2].oldValue, PlistValue("default"));
  EXPECT_EQ(seen[2].newValue, PlistValue("one"));

  suite->set("key", "one");  // nothing is filtered: an equal write is reported too
  EXPECT_EQ(seen.size(), 5u);
  suite->remove("key");  // removal shows the registered default again
  ASSERT_EQ(seen.size(), 7u);
  EXPECT_EQ(seen[6].newValue, PlistValue("default"));

  int suiteChanges = 0;
  auto notifications =
      NotificationCenter::defaultCenter().addObserver(UserDefaults::didChangeNotification, [&](const Notification& n) {
        if (std::any_cast<std::string>(n.userInfo.at("suite")) == name) ++suiteChanges;
      });
  suite->set("unrelated", true);
  EXPECT_EQ(seen.size(), 7u);
  EXPECT_EQ(suiteChanges, 1);  // the whole suite is announced on every change
  token.cancel();
  suite->set("key", "two");
  EXPECT_EQ(seen.size(), 7u);
}

TEST_F(UserDefaultsTest, AnObserverMayEndItsObservationFromItsCallback) {
  auto suite = UserDefaults::named(name);
  int calls = 0;
  rx::AnyCancellable token;
  token = suite->observe("key", {}, [&](const UserDefaults::Change&) {
    ++calls;
    token.cancel();
  });
  suite->set("key", 1);
  suite->set("key", 2);
  EXPECT_EQ(calls, 1);
}

TEST_F(UserDefaultsTest, AnOutsideEditReachesObserversAndKeepsUnwrittenChanges) {
  auto suite = UserDefaults::named(name);
  suite->set("mine", "before");
  suite->set("theirs", "before");
  suite->flush();

  std::mutex m;
  std::vector<UserDefaults::Change> seen;
  auto token = suite->observe("theirs", {}, [&](const UserDefaults::Change& c) {
    std::lock_guard lock(m);
    seen.push_back(c);
  });
  int mineCalls = 0;
  auto mineToken = suite->observe("mine", {}, [&](const UserDefaults::Change&) { ++mineCalls; });

  auto edited = parsePropertyListDictionary(fileText(file())).value();
  edited["theirs"] = "after";
  edited["added"] = int64_t{5};
  prefs_test::replaceFile(file(), xmlPropertyList(edited));

  ASSERT_TRUE(waitUntil([&] {
    std::lock_guard lock(m);
    return !seen.empty();
  }));
  {
    std::lock_guard lock(m);
    EXPECT_EQ(seen.back().oldValue, PlistValue("before"));
    EXPECT_EQ(seen.back().newValue, PlistValue("after"));
  }
  EXPECT_EQ(suite->object("added"), PlistValue(int64_t{5}));
  EXPECT_EQ(mineCalls, 0);  // keys that did not change on disk are not reported

  // An edit in place (truncate and write, as a shell redirection does) is noticed as well.
  edited["theirs"] = "in place";
  { std::ofstream(file(), std::ios::trunc) << xmlPropertyList(edited); }
  EXPECT_TRUE(waitUntil([&] { return suite->object("theirs") == PlistValue("in place"); }));
}

TEST_F(UserDefaultsTest, OutsideEditsMergeWithChangesNotYetOnDisk) {
  auto suite = UserDefaults::named(name);
  suite->set("a", int64_t{1});
  suite->set("b", int64_t{1});
  suite->flush();
  // Our change of "a" and their change of "b" must both survive.
  suite->set("a", int64_t{2});
  PlistDict theirs{{"a", int64_t{1}}, {"b", int64_t{3}}};
  prefs_test::replaceFile(file(), xmlPropertyList(theirs));
  ASSERT_TRUE(waitUntil([&] { return suite->object("b") == PlistValue(int64_t{3}); }));
  EXPECT_EQ(suite->object("a"), PlistValue(int64_t{2}));
  suite->flush();
  EXPECT_EQ(parsePropertyListDictionary(fileText(file())), (PlistDict{{"a", int64_t{2}}, {"b", int64_t{3}}}));
}

TEST_F(UserDefaultsTest, ACorruptFileIsKeptAsideAndTheDefaultsApply) {
  const std::string garbage = "<?xml version=\"1.0\"?><plist><dict><key>x</key><true/>";  // cut short
  { std::ofstream(file()) << garbage; }
  auto suite = UserDefaults::named(name);
  suite->registerDefaults({{"x", false}});
  EXPECT_EQ(suite->object("x"), PlistValue(false));

  std::vector<std::filesystem::path> aside;
  for (auto& entry : std::filesystem::directory_iterator(home.path()))
    if (entry.path().filename().string().starts_with(name + ".plist.corrupt-")) aside.push_back(entry.path());
  ASSERT_EQ(aside.size(), 1u);
  EXPECT_EQ(fileText(aside[0]), garbage);

  // The program goes on: new values are stored in a fresh, readable file.
  suite->set("x", true);
  suite->flush();
  EXPECT_EQ(parsePropertyListDictionary(fileText(file())), (PlistDict{{"x", true}}));

  // A second unreadable file the same second (here a binary list cut short) gets its own name; nothing is
  // overwritten.
  suite.reset();
  prefs_test::commandOutput("plistutil -i '" + file().string() + "' -f bin -o '" + file().string() + ".bin'");
  const std::string binary = fileText(file().string() + ".bin");
  std::filesystem::remove(file().string() + ".bin");
  { std::ofstream(file()) << binary.substr(0, binary.size() - 1); }
  EXPECT_FALSE(UserDefaults::named(name)->object("x"));
  int count = 0;
  for (auto& entry : std::filesystem::directory_iterator(home.path()))
    count += entry.path().filename().string().starts_with(name + ".plist.corrupt-");
  EXPECT_EQ(count, 2);

  // A file nested deeper than files are read with is set aside as well, and the log says why.
  std::string deep = "<plist version=\"1.0\"><dict><key>x</key>";
  for (int level = 0; level < 300; ++level) deep += "<array>";
  for (int level = 0; level < 300; ++level) deep += "</array>";
  { std::ofstream(file()) << deep << "</dict></plist>"; }
  testing::internal::CaptureStderr();
  EXPECT_FALSE(UserDefaults::named(name)->object("x"));
  const std::string log = testing::internal::GetCapturedStderr();
  EXPECT_NE(log.find("could not be read: it is nested deeper than the 256 levels a preferences file is read with; it "
                     "was kept as "),
            std::string::npos)
      << log;
}

TEST_F(UserDefaultsTest, ABinaryFileIsReadAndStaysAsItIsUntilAChangeIsWrittenAsXml) {
  { std::ofstream(file()) << xmlPropertyList(everyKind()); }
  prefs_test::commandOutput("plistutil -i '" + file().string() + "' -f bin -o '" + file().string() + "'");
  const std::string binary = fileText(file());
  ASSERT_TRUE(binary.starts_with("bplist00"));

  auto suite = UserDefaults::named(name);
  EXPECT_EQ(suite->persistentDomain(), everyKind());
  suite->set("count", int64_t{42});  // what it holds already
  suite->flush();
  EXPECT_EQ(fileText(file()), binary);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(home.path()), {}), 1) << "nothing set aside";

  suite->set("count", int64_t{43});
  suite->flush();
  PlistDict expected = everyKind();
  expected["count"] = int64_t{43};
  EXPECT_TRUE(fileText(file()).starts_with("<?xml"));
  EXPECT_EQ(parsePropertyListDictionary(fileText(file())), expected);
}

TEST_F(UserDefaultsTest, AnUnreadableOutsideEditDoesNotLoseOurValues) {
  auto suite = UserDefaults::named(name);
  suite->set("kept", "value");
  suite->flush();
  prefs_test::replaceFile(file(), "garbage");
  ASSERT_TRUE(waitUntil([&] {
    auto dict = parsePropertyListDictionary(fileText(file()));
    return dict && dict->count("kept");
  }));
  EXPECT_EQ(suite->object("kept"), PlistValue("value"));
}

TEST_F(UserDefaultsTest, AKilledWriterLeavesAReadableFile) {
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    auto suite = UserDefaults::named(name);
    std::string padding(4096, 'x');
    for (int64_t i = 0;; ++i) {
      suite->set("counter", i);
      suite->set("padding", padding + std::to_string(i));
      if (i % 16 == 0) suite->flush();
    }
  }
  ASSERT_TRUE(waitUntil([&] { return std::filesystem::exists(file()); }));
  std::this_thread::sleep_for(150ms);
  kill(child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);
  auto dict = parsePropertyListDictionary(fileText(file()));
  ASSERT_TRUE(dict);
  EXPECT_TRUE(dict->at("counter").is<int64_t>());
  EXPECT_GT(*dict->at("counter").get<int64_t>(), 0);

  // What killed writes left is cleared: at a suite's start, files old enough to be abandoned; once the program holds
  // the session's name, every file no writer holds, however fresh. A write in progress in another process, whose
  // writer holds its file locked, is never touched.
  const auto temporary = [&](const std::string& suffix) { return home.path() / ("." + name + ".plist.tmp-" + suffix); };
  const auto old = temporary("abandoned"), fresh = temporary("killed"), inProgress = temporary("inprogress");
  for (const auto& path : {old, fresh, inProgress}) std::ofstream(path) << "partial";
  std::filesystem::last_write_time(old, std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
  int locked[2], done[2];
  ASSERT_EQ(pipe(locked), 0);
  ASSERT_EQ(pipe(done), 0);
  const pid_t writer = fork();
  ASSERT_GE(writer, 0);
  if (writer == 0) {
    const int file = open(inProgress.c_str(), O_RDWR);
    char byte = flock(file, LOCK_EX) == 0 ? 'y' : 'n';
    (void)!::write(locked[1], &byte, 1);
    (void)!::read(done[0], &byte, 1);
    _exit(0);
  }
  char answer = 0;
  ASSERT_EQ(::read(locked[0], &answer, 1), 1);
  ASSERT_EQ(answer, 'y');

  auto suite = UserDefaults::named(name);
  EXPECT_FALSE(std::filesystem::exists(old));
  EXPECT_TRUE(std::filesystem::exists(fresh));
  suite->removeTemporaryFilesOfKilledWrites();
  EXPECT_FALSE(std::filesystem::exists(fresh));
  std::vector<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(home.path()))
    if (entry.path().filename().string().starts_with("." + name + ".plist.tmp-"))
      left.push_back(entry.path().filename().string());
  EXPECT_EQ(left, std::vector<std::string>{inProgress.filename().string()}) << "nor any the killed writer left";
  (void)!::write(done[1], &answer, 1);
  waitpid(writer, nullptr, 0);
  suite->removeTemporaryFilesOfKilledWrites();
  EXPECT_FALSE(std::filesystem::exists(inProgress)) << "once its writer is gone";
  for (int end : {locked[0], locked[1], done[0], done[1]}) close(end);
}

TEST_F(UserDefaultsTest, TheCleanUpLeavesAWriteInProgressOfThisProcessAlone) {
  // The writer's own lock, held past the close of its temporary file until the rename, is what keeps a clean-up run
  // in the meantime from taking the file: a lock on another open file of the same file conflicts in one process too.
  const auto prefix = "." + name + ".plist.tmp-";
  const auto killed = home.path() / (prefix + "killed");
  std::ofstream(killed) << "partial";
  prefs_test::replaceFile(file(), "old bytes");
  const std::string bytes = xmlPropertyList({{"written", true}});
  int removed = -1;
  std::vector<std::string> left;
  EXPECT_TRUE(writeFileAtomically(file(), bytes, [&] {
    removed = removeTemporaryFilesOfKilledWrites(file());
    for (const auto& entry : std::filesystem::directory_iterator(home.path()))
      if (entry.path().filename().string().starts_with(prefix)) left.push_back(entry.path().filename().string());
    return true;
  }));
  EXPECT_EQ(removed, 1);
  EXPECT_FALSE(std::filesystem::exists(killed));
  ASSERT_EQ(left.size(), 1u) << "the write's own temporary file is still there";
  EXPECT_NE(left.front(), killed.filename().string());
  EXPECT_EQ(fileText(file()), bytes);
  EXPECT_FALSE(std::filesystem::exists(home.path() / left.front()));
}

TEST(SuiteNames, UnsafeNamesAreRefused) {
  EXPECT_EQ(UserDefaults::named(""), nullptr);
  EXPECT_EQ(UserDefaults::named(".."), nullptr);
  EXPECT_EQ(UserDefaults::named("a/b"), nullptr);
  prefs_test::TemporaryConfigHome home;
  auto a = UserDefaults::named("same.name");
  EXPECT_EQ(a, UserDefaults::named("same.name"));
}

TEST_F(UserDefaultsTest, StoringWhatIsStoredAlreadyLeavesTheFileAlone) {
  prefs_test::replaceFile(file(), xmlPropertyList({{"count", int64_t{4}}, {"version", "1.0"}}));
  auto suite = UserDefaults::named(name);
  // Each write replaces the file by another one.
  const auto inode = [&] {
    struct stat status {};
    ::stat(file().c_str(), &status);
    return status.st_ino;
  };
  const auto before = inode();
  suite->set("version", "1.0");
  suite->flush();
  EXPECT_EQ(inode(), before) << "not rewritten";
  suite->set("count", int64_t{5});
  suite->flush();
  EXPECT_NE(inode(), before);
  EXPECT_EQ(parsePropertyListDictionary(fileText(file())), (PlistDict{{"count", int64_t{5}}, {"version", "1.0"}}));
}

TEST_F(UserDefaultsTest, ALargeFileIsReadWithAWarningNamingItsLargestValues) {
  const std::string script(1'500'000, 'x');
  prefs_test::replaceFile(file(), xmlPropertyList({{"javaScriptCode", script},
                                                   {"notes", PlistArray{std::string(300'000, 'n')}},
                                                   {"blob", PlistData{std::string(200'000, '\0')}},
                                                   {"flag", true}}));
  testing::internal::CaptureStderr();
  auto suite = UserDefaults::named(name);
  const std::string warning = testing::internal::GetCapturedStderr();
  EXPECT_NE(warning.find("The preferences file " + file().string() + " is 2.1 MB"), std::string::npos) << warning;
  EXPECT_NE(warning.find("\"javaScriptCode\" (1.5 MB), \"notes\" (300.0 KB), \"blob\" (266.7 KB)."), std::string::npos)
      << warning;
  EXPECT_EQ(suite->object("javaScriptCode"), PlistValue(script)) << "read all the same";
  EXPECT_EQ(suite->object("flag"), PlistValue(true));
}

namespace {

// Runs `scenario` in a child process with a user's privileges (as root, file modes stop no read nor write, so the
// child becomes "nobody"), in a config home of its own. The child's failures are the test's. Call it before the
// test starts any thread.
void asUser(const std::function<void(const std::filesystem::path& home, const std::string& name)>& scenario) {
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)) _exit(2);
    {
      prefs_test::TemporaryConfigHome home;
      scenario(home.path(), prefs_test::uniqueSuiteName());
    }
    std::fflush(stdout);
    _exit(testing::Test::HasFailure() ? 1 : 0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the scenario failed (wait status " << status << ")";
}

// Changes a value every 20 ms for three seconds while the file cannot be written: at most one temporary file at
// any time, the trouble said at most once, and every change kept in memory.
void expectCalmWhileFailing(UserDefaults& suite, const std::filesystem::path& folder) {
  const std::string temporaryPrefix = "." + suite.filePath().filename().string() + ".tmp-";
  testing::internal::CaptureStderr();
  size_t most = 0;
  for (int64_t i = 1; i <= 150; ++i) {
    suite.set("count", i);
    size_t now = 0;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
      now += entry.path().filename().string().starts_with(temporaryPrefix);
    most = std::max(most, now);
    std::this_thread::sleep_for(20ms);
  }
  const std::string log = testing::internal::GetCapturedStderr();
  EXPECT_LE(most, 1u);
  EXPECT_LE(std::count(log.begin(), log.end(), '\n'), 1) << log;
  EXPECT_EQ(suite.object("count"), PlistValue(int64_t{150}));
}

bool fileHolds(const std::filesystem::path& path, const PlistValue& count) {
  auto dict = parsePropertyListDictionary(fileText(path));
  return dict && dict->count("count") && dict->at("count") == count;
}

}  // namespace

TEST(PreferencesFileTrouble, AFileOrFolderThatCannotBeWrittenLeavesNoTemporaryFilesAndIsSaidOnce) {
  prefs_test::testMainExecutor();
  // A folder where the file should be: the write lands once it is gone.
  asUser([](const std::filesystem::path& home, const std::string& name) {
    const auto file = home / (name + ".plist");
    std::filesystem::create_directory(file);
    auto suite = UserDefaults::named(name);
    expectCalmWhileFailing(*suite, home);
    std::filesystem::remove(file);
    EXPECT_TRUE(waitUntil([&] { return fileHolds(file, int64_t{150}); }, 30s));
  });
  // A file that cannot be read is never replaced.
  asUser([](const std::filesystem::path& home, const std::string& name) {
    const auto file = home / (name + ".plist");
    { std::ofstream(file) << xmlPropertyList({{"count", int64_t{-1}}}); }
    std::filesystem::permissions(file, std::filesystem::perms::none);
    auto suite = UserDefaults::named(name);
    expectCalmWhileFailing(*suite, home);
    std::filesystem::permissions(file, std::filesystem::perms::owner_read);
    EXPECT_TRUE(fileHolds(file, int64_t{-1}));
  });
  // A folder that cannot be written: the write lands once it can.
  asUser([](const std::filesystem::path& home, const std::string& name) {
    const auto file = home / (name + ".plist");
    std::filesystem::permissions(home, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    auto suite = UserDefaults::named(name);
    expectCalmWhileFailing(*suite, home);
    testing::internal::CaptureStderr();
    std::filesystem::permissions(home, std::filesystem::perms::owner_all);
    EXPECT_TRUE(waitUntil([&] { return fileHolds(file, int64_t{150}); }, 30s));
    suite->flush();  // the write that landed has said so
    EXPECT_NE(
        testing::internal::GetCapturedStderr().find("The preferences are written to " + file.string() + " again."),
        std::string::npos);
  });
}

TEST(PreferencesFileTrouble, AFullDiskLosesNothingAndTheWriteLandsOnceThereIsRoom) {
  prefs_test::testMainExecutor();
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    prefs_test::TemporaryConfigHome home;
    // A small disk of the child's own.
    if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount("tmpfs", home.path().c_str(), "tmpfs", 0, "size=256k") != 0) {
      _exit(77);
    }
    const auto name = prefs_test::uniqueSuiteName();
    const auto file = home.path() / (name + ".plist");
    auto suite = UserDefaults::named(name);
    suite->set("padding", std::string(64 << 10, 'p'));
    suite->flush();
    const auto filler = home.path() / "filler";
    prefs_test::commandOutput("dd if=/dev/zero of='" + filler.string() + "' bs=4k 2>/dev/null");
    expectCalmWhileFailing(*suite, home.path());
    std::filesystem::remove(filler);
    EXPECT_TRUE(waitUntil([&] { return fileHolds(file, int64_t{150}); }, 30s));
    umount(home.path().c_str());
    std::fflush(stdout);
    _exit(testing::Test::HasFailure() ? 1 : 0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  if (WIFEXITED(status) && WEXITSTATUS(status) == 77) {
    GTEST_SKIP() << "no private mount can be made here (needs root or user namespaces) for a small disk";
  }
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "wait status " << status;
}

TEST(PreferencesFileTrouble, ALinkedFileIsWrittenThroughAndAReadOnlyFileIsRespected) {
  prefs_test::testMainExecutor();
  asUser([](const std::filesystem::path& home, const std::string& name) {
    // Dotfiles kept in a repository: the preferences file is a link into it.
    const auto file = home / (name + ".plist");
    std::filesystem::create_directory(home / "dotfiles");
    const auto target = home / "dotfiles" / "quillet.plist";
    { std::ofstream(target) << xmlPropertyList({{"count", int64_t{1}}}); }
    std::filesystem::create_symlink("dotfiles/quillet.plist", file);
    auto suite = UserDefaults::named(name);
    EXPECT_EQ(suite->object("count"), PlistValue(int64_t{1}));
    for (int64_t count : {2, 3}) {
      suite->set("count", count);
      suite->flush();
      EXPECT_TRUE(std::filesystem::is_symlink(file));
      EXPECT_TRUE(fileHolds(target, count));
    }
    suite.reset();

    // A file made read-only keeps its content and mode; changes live in memory, and the trouble is said once.
    std::filesystem::remove(file);
    { std::ofstream(file) << xmlPropertyList({{"count", int64_t{1}}}); }
    std::filesystem::permissions(file, std::filesystem::perms::owner_read | std::filesystem::perms::group_read |
                                           std::filesystem::perms::others_read);
    suite = UserDefaults::named(name);
    testing::internal::CaptureStderr();
    for (int64_t count : {2, 3}) {
      suite->set("count", count);
      suite->flush();
    }
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(suite->object("count"), PlistValue(int64_t{3}));
    EXPECT_TRUE(fileHolds(file, int64_t{1}));
    EXPECT_EQ(std::filesystem::status(file).permissions(), std::filesystem::perms(0444));
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
    EXPECT_NE(log.find(file.string() + " is read-only"), std::string::npos) << log;
  });
}

namespace {

using prefs_test::binaryAsciiString;
using prefs_test::binaryCollection;
using prefs_test::binaryData;
using prefs_test::binaryPropertyList;

// Other tools' binary list of {"Zv_launchCount": 3, `key`: `value`}, the value encoded as given.
std::string binaryFileWith(const std::string& key, const std::string& encodedValue) {
  return binaryPropertyList({binaryCollection(0xD0, {1, 2, 3, 4}), binaryAsciiString("Zv_launchCount"),
                             binaryAsciiString(key), std::string("\x10\x03", 2), encodedValue});
}

// The file of {"Zv_launchCount": 3, "javaScriptCode": `script`} as earlier versions wrote it: the script's characters
// as they are, control characters included.
std::string fileOfEarlierVersionsWith(const std::string& script) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
         "\t<key>Zv_launchCount</key>\n\t<integer>3</integer>\n\t<key>javaScriptCode</key>\n\t<string>" +
         script + "</string>\n</dict>\n</plist>\n";
}

// Starts of the program on the same file: each reads it, and counts itself in the launch count, as the program does.
// Returns what the start read.
PlistDict startOnce(const std::string& name, const PlistDict& changes = {}) {
  auto suite = UserDefaults::named(name);
  const PlistDict read = suite->persistentDomain();
  const auto count = read.find("Zv_launchCount");
  suite->set("Zv_launchCount", int64_t{(count != read.end() ? *count->second.get<int64_t>() : 0) + 1});
  for (const auto& [key, value] : changes) suite->set(key, value);
  return read;
}

// Whether the log says that the file was set aside or not written (a large file is only warned about).
bool saysTrouble(const std::string& log) {
  return log.find("could not be read") != std::string::npos || log.find("cannot be written") != std::string::npos;
}

std::string launchCountSaidByAnotherReader(const std::filesystem::path& file) {
  return prefs_test::anotherReaderSays(file, "d['Zv_launchCount']");
}

}  // namespace

// The rewrite of a large value takes more room than its first form: "&" in a CDATA section or in a binary string
// becomes "&amp;", data becomes base64. A file that start-up reads must be read whole at the next start, whatever the
// start changed (the launch count changes at every start): what XML would make too large is written in the binary
// form.
TEST_F(UserDefaultsTest, AFileWhoseRewriteAsXmlWouldBeTooLargeIsWrittenInTheBinaryForm) {
  const std::string ampersands(14'700'000, '&');
  const std::string data(60u << 20, '\x01');
  const std::vector<std::pair<std::string, std::string>> files{
      {"XML with a CDATA section",
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
       "<key>Zv_launchCount</key><integer>3</integer>\n<key>notes</key><string><![CDATA[" +
           ampersands + "]]></string>\n</dict>\n</plist>\n"},
      {"binary string", binaryFileWith("notes", binaryAsciiString(std::string_view(ampersands).substr(0, 14u << 20)))},
      {"binary data", binaryFileWith("notes", binaryData(data))},
  };
  for (const auto& [what, content] : files) {
    SCOPED_TRACE(what);
    name = prefs_test::uniqueSuiteName();  // a suite of its own: the last one may still be ending on another thread
    prefs_test::replaceFile(file(), content);
    testing::internal::CaptureStderr();
    const auto notes = startOnce(name).at("notes");
    EXPECT_EQ(startOnce(name).at("notes"), notes);
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(saysTrouble(log)) << log;

    EXPECT_TRUE(fileText(file()).starts_with("bplist00"));
    const auto next = parsePropertyListDictionary(fileText(file()));
    EXPECT_TRUE(next && next->at("notes") == notes && next->at("Zv_launchCount") == PlistValue(int64_t{5}))
        << "read whole at the next start";
    EXPECT_EQ(launchCountSaidByAnotherReader(file()), "5");
  }
}

// A script with a form feed, a vertical tab or an escape (the script editor keeps them when they are pasted), arrays
// nested deeper than XML readers take, a text that a binary list holds once for 2,000 places: each is written so that
// the next start reads it whole, and the launch count goes on.
TEST_F(UserDefaultsTest, ScriptsWithControlCharactersDeepNestingAndSharedTextsSurviveTwoStarts) {
  const std::string script = "function transform(text) {\f\n  return text;\v\n}\n";
  PlistValue deep = PlistArray{true};
  for (int level = 1; level < 255; ++level) deep = PlistValue(PlistArray{deep});
  // Arrays from the fifth object on, each holding the next; the last one holds true.
  std::vector<std::string> deepList{binaryCollection(0xD0, {1, 2, 3, 4}, 2), binaryAsciiString("Zv_launchCount"),
                                    binaryAsciiString("deep"), std::string("\x10\x03", 2)};
  for (std::uint64_t level = 0; level < 255; ++level) deepList.push_back(binaryCollection(0xA0, {level + 5}, 2));
  deepList.push_back("\x09");
  struct Case {
    std::string what;
    std::string content;  // the file before the first start
    PlistDict changes;    // what the first start changes besides the launch count
    PlistDict held;       // what every start after the first reads besides the launch count
    std::string otherReaderExpression, otherReaderSays;
  };
  const std::string sharedText(1000, 's');
  const std::vector<Case> cases{
      {"a script with a form feed, as earlier versions wrote it",
       fileOfEarlierVersionsWith(script),
       {},
       {{"javaScriptCode", script}},
       "d['javaScriptCode'].encode().hex()",
       prefs_test::hexDigits(script)},
      {"a script with an escape, as the program sets it",
       xmlPropertyList({{"Zv_launchCount", int64_t{3}}}),
       {{"javaScriptCode", "// \x1B[1m bold\n"}},
       {{"javaScriptCode", "// \x1B[1m bold\n"}},
       "d['javaScriptCode'].encode().hex()",
       prefs_test::hexDigits("// \x1B[1m bold\n")},
      {"a binary list nesting arrays 255 deep",
       binaryPropertyList(deepList, 0, 2),
       {},
       {{"deep", deep}},
       "(lambda f: f(f, d['deep']))(lambda f, x: 1 + f(f, x[0]) if isinstance(x, list) else x)",
       "256"},
      {"a binary list sharing one text 2,000 times",
       prefs_test::sharedTextList(2000, sharedText.size()),
       {},
       {{"shared", PlistArray(2000, sharedText)}},
       "(len(d['shared']), set(d['shared']) == {'s' * 1000})",
       "(2000, True)"},
  };
  for (const auto& item : cases) {
    SCOPED_TRACE(item.what);
    name = prefs_test::uniqueSuiteName();
    prefs_test::replaceFile(file(), item.content);
    PlistDict expected = item.held;
    testing::internal::CaptureStderr();
    const PlistDict first = startOnce(name, item.changes);
    expected["Zv_launchCount"] = int64_t{4};
    EXPECT_EQ(startOnce(name), expected);
    EXPECT_EQ(launchCountSaidByAnotherReader(file()), "5");
    expected["Zv_launchCount"] = int64_t{5};
    EXPECT_EQ(startOnce(name), expected);
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(saysTrouble(log)) << log;
    EXPECT_EQ(first.at("Zv_launchCount"), PlistValue(int64_t{3}));
    EXPECT_EQ(prefs_test::anotherReaderSays(file(), item.otherReaderExpression), item.otherReaderSays);
    const std::string written = fileText(file());
    EXPECT_TRUE(written.starts_with("bplist00") || isWellFormedXml(written)) << "XML that libxml2 takes";
  }
}

// Settings that no form of the file gives back whole (here larger than the 64 MiB a file is read with) leave the file
// as it is, and the log says so once. A later change that makes them fit is written, also when the file was removed
// meanwhile, in the form that holds them.
TEST_F(UserDefaultsTest, AWriteNoFormHoldsLeavesTheFileAndALaterChangeThatFitsIsWrittenAfterTheFileIsRemoved) {
  const std::string script = "function transform(text) {\f return text; }";
  const std::string content = fileOfEarlierVersionsWith(script);
  prefs_test::replaceFile(file(), content);
  auto suite = UserDefaults::named(name);
  testing::internal::CaptureStderr();
  suite->set("notes", std::string((64u << 20) + 1, 'n'));
  suite->flush();
  EXPECT_TRUE(fileText(file()) == content) << "left as it is";
  std::filesystem::remove(file());
  suite->set("Zv_launchCount", int64_t{4});
  suite->flush();
  EXPECT_FALSE(std::filesystem::exists(file()));
  const std::string refused = testing::internal::GetCapturedStderr();
  EXPECT_EQ(std::count(refused.begin(), refused.end(), '\n'), 1) << refused;
  EXPECT_NE(refused.find("the value of \"notes\" the most"), std::string::npos) << refused;

  suite->remove("notes");
  suite->flush();
  EXPECT_TRUE(fileText(file()).starts_with("bplist00"));
  EXPECT_EQ(parsePropertyListDictionary(fileText(file())),
            (PlistDict{{"Zv_launchCount", int64_t{4}}, {"javaScriptCode", script}}));
  EXPECT_EQ(launchCountSaidByAnotherReader(file()), "4");
}

// Binary lists hold keys and text that no form we write keeps as they are: a NUL (which would cut "key\0withnul" to
// "key", another key), bytes that are no UTF-8. Rewritten, a key would be lost or a text changed; the file is kept as
// it is, so that the next start reads it whole.
TEST_F(UserDefaultsTest, ABinaryFileWithNulsOrBytesThatAreNoUtf8IsRewrittenWithThemAsTheyAre) {
  using namespace std::string_literals;
  for (const auto& [key, value] : std::vector<std::pair<std::string, std::string>>{
           {"key\0withnul"s, "first"},
           {"latin", "caf\xE9"},
           {"nul inside", "x\0y"s},
       }) {
    SCOPED_TRACE(key);
    name = prefs_test::uniqueSuiteName();
    const std::string content = binaryPropertyList(
        {binaryCollection(0xD0, {1, 2, 3, 4, 5, 6}), binaryAsciiString("Zv_launchCount"), binaryAsciiString("key"),
         binaryAsciiString(key), std::string("\x10\x03", 2), binaryAsciiString("second"), binaryAsciiString(value)});
    prefs_test::replaceFile(file(), content);
    const PlistDict stored{{"Zv_launchCount", int64_t{3}}, {"key", "second"}, {key, value}};
    auto suite = UserDefaults::named(name);
    ASSERT_EQ(suite->persistentDomain(), stored);
    testing::internal::CaptureStderr();
    suite->set("Zv_launchCount", int64_t{4});
    suite->flush();
    const std::string log = testing::internal::GetCapturedStderr();
    suite.reset();

    EXPECT_EQ(log, "");
    PlistDict changed = stored;
    changed["Zv_launchCount"] = int64_t{4};
    EXPECT_EQ(parsePropertyListDictionary(fileText(file())), changed);
  }
}
