#include "kit/foundation/cli.h"

#include <grp.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <mutex>

#include "kit/foundation/general_error.h"
#include "kit/foundation/report_error.h"
#include "platform/core/file_reading.h"
#include "platform/core/user_account.h"
#include "platform/text/utf8.h"

namespace kit::CLI {
namespace {

struct Streams {
  std::mutex lock;
  FileHandle input{STDIN_FILENO}, output{STDOUT_FILENO}, error{STDERR_FILENO};
};

Streams& streams() {
  static Streams shared;
  return shared;
}

std::vector<std::string> readArguments() {
  const std::string all = platform::readWholeFileIfReadable("/proc/self/cmdline").value_or("");
  std::vector<std::string> parts;
  size_t start = 0;
  while (start < all.size()) {
    size_t end = all.find('\0', start);
    if (end == std::string::npos) end = all.size();
    parts.push_back(all.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

const std::vector<std::string>& commandLine() {
  static const std::vector<std::string> parts = readArguments();
  return parts;
}

const ParsedArguments& parsed() {
  static const ParsedArguments result = parseArguments(arguments());
  return result;
}

// A user or group number: decimal digits only, within 32 bits, and not the "no change" value.
std::optional<uint32_t> parseId(const char* text) {
  if (!text || !*text) return std::nullopt;
  std::string_view digits(text);
  if (digits.find_first_not_of("0123456789") != std::string_view::npos) return std::nullopt;
  uint32_t value = 0;
  auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  if (value == std::numeric_limits<uint32_t>::max()) return std::nullopt;
  return value;
}

[[noreturn]] void failSwitch(const std::string& what, int errorNumber) {
  std::string reason = platform::PlatformError::posix(errorNumber).localizedDescription();
  ZvApp::reportError(GeneralError("Couldn't switch to the invoking user (" + what + "): " + reason));
  std::exit(1);  // NOLINT(concurrency-mt-unsafe): the command ends here, with whatever else runs
}

}  // namespace

void FileHandle::write(std::string_view text, std::source_location location) const {
  while (!text.empty()) {
    ssize_t written = ::write(descriptor_, text.data(), text.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      ZvApp::reportError(GeneralError(platform::PlatformError::posix(errno).localizedDescription()), {}, location);
      return;
    }
    text.remove_prefix(static_cast<size_t>(written));
  }
}

std::string FileHandle::readToEnd() const {
  std::string data;
  char buffer[65536];
  for (;;) {
    ssize_t count = ::read(descriptor_, buffer, sizeof buffer);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) break;
    data.append(buffer, static_cast<size_t>(count));
  }
  return data;
}

std::optional<std::string> FileHandle::readLine(bool strippingNewline) const {
  std::string line;
  bool readAny = false;
  char c = 0;
  for (;;) {
    ssize_t count = ::read(descriptor_, &c, 1);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) break;
    readAny = true;
    if (c == '\n') {
      // A CR LF ending goes whole.
      if (!strippingNewline)
        line += c;
      else if (line.ends_with('\r'))
        line.pop_back();
      return line;
    }
    line += c;
  }
  if (!readAny) return std::nullopt;
  return line;
}

FileHandle standardInput() {
  std::lock_guard guard(streams().lock);
  return streams().input;
}
FileHandle standardOutput() {
  std::lock_guard guard(streams().lock);
  return streams().output;
}
FileHandle standardError() {
  std::lock_guard guard(streams().lock);
  return streams().error;
}
void setStandardInput(FileHandle handle) {
  std::lock_guard guard(streams().lock);
  streams().input = handle;
}
void setStandardOutput(FileHandle handle) {
  std::lock_guard guard(streams().lock);
  streams().output = handle;
}
void setStandardError(FileHandle handle) {
  std::lock_guard guard(streams().lock);
  streams().error = handle;
}

ParsedArguments parseArguments(const std::vector<std::string>& arguments) {
  ParsedArguments result;
  if (arguments.empty() || arguments.front() == "--") return result;
  std::optional<std::string> pendingKey;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (i > 0 && argument == "--") break;
    if (argument.starts_with("--")) {
      std::string key = argument.substr(2);
      result.named.insert_or_assign(key, true);
      pendingKey = std::move(key);
    } else if (pendingKey) {
      result.named.insert_or_assign(*pendingKey, argument);
      pendingKey.reset();
    } else {
      result.positional.push_back(argument);
    }
  }
  return result;
}

const std::vector<std::string>& arguments() {
  static const std::vector<std::string> withoutProgram =
      commandLine().empty() ? std::vector<std::string>()
                            : std::vector<std::string>(commandLine().begin() + 1, commandLine().end());
  return withoutProgram;
}

const std::vector<std::string>& positionalArguments() { return parsed().positional; }
const std::map<std::string, NamedArgument>& namedArguments() { return parsed().named; }
bool hasNamedArgument(const std::string& key) { return parsed().hasNamedArgument(key); }

std::filesystem::path executablePath() {
  // Made absolute at once, so that it keeps naming the program after the current directory changes.
  static const std::filesystem::path path = [] {
    if (commandLine().empty()) return std::filesystem::path();
    std::error_code error;
    auto absolute = std::filesystem::absolute(commandLine().front(), error);
    return error ? std::filesystem::path(commandLine().front()) : absolute;
  }();
  return path;
}

std::string name() { return executablePath().filename().string(); }

std::filesystem::path currentDirectory() {
  std::error_code error;
  auto path = std::filesystem::current_path(error);
  return error ? std::filesystem::path() : path;
}

std::string standardInputData() { return standardInput().readToEnd(); }

std::optional<std::string> standardInputString() {
  std::string data = standardInputData();
  if (!platform::isValidUtf8(data)) return std::nullopt;
  if (data.ends_with('\n')) data.pop_back();
  return data;
}

std::optional<std::string> readLine(bool strippingNewline) { return standardInput().readLine(strippingNewline); }

void printToStandardError(const std::vector<AnyValue>& values, std::string_view separator,
                          std::string_view terminator) {
  std::string text;
  for (size_t i = 0; i < values.size(); ++i) {
    if (i > 0) text += separator;
    appendDescribing(text, values[i]);
  }
  text += terminator;
  standardError().write(text);
}

void exitOnError(const std::function<void()>& operation) {
  try {
    operation();
    return;
  } catch (const platform::Error& error) {
    printToStandardError({error.localizedDescription()});
  } catch (const std::exception& error) {
    printToStandardError({error.what()});
  } catch (...) {
    printToStandardError({"Unknown error."});
  }
  std::exit(1);  // NOLINT(concurrency-mt-unsafe): the command ends here, with whatever else runs
}

void switchToRealUser() {
  auto uid = parseId(std::getenv("SUDO_UID"));
  if (!uid) return;
  if (auto gid = parseId(std::getenv("SUDO_GID"))) {
    gid_t group = *gid;
    // The invoking user's own supplementary groups replace root's, which would otherwise stay with the process; a
    // user the database does not know keeps only the group.
    if (geteuid() == 0) {
      auto user = platform::accountName(*uid);
      if ((user ? initgroups(user->c_str(), group) : setgroups(1, &group)) != 0) failSwitch("groups", errno);
    }
    if (setgid(group) != 0) failSwitch("group " + std::to_string(group), errno);
  }
  if (setuid(*uid) != 0) failSwitch("user " + std::to_string(*uid), errno);
}

}  // namespace kit::CLI
