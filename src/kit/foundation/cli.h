#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <source_location>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "kit/foundation/any_value.h"

namespace kit::CLI {

// A file descriptor used as a text stream. Failed writes are reported, never thrown.
class FileHandle {
 public:
  explicit FileHandle(int descriptor) : descriptor_(descriptor) {}
  int descriptor() const { return descriptor_; }

  void write(std::string_view text, std::source_location location = std::source_location::current()) const;
  // Everything up to the end of the input (also from a pipe whose writer is slower than the reader).
  std::string readToEnd() const;
  // One line, without its "\n" or "\r\n" when asked; none at the end of the input.
  std::optional<std::string> readLine(bool strippingNewline = true) const;

 private:
  int descriptor_;
};

FileHandle standardInput();
FileHandle standardOutput();
FileHandle standardError();
void setStandardInput(FileHandle handle);
void setStandardOutput(FileHandle handle);
void setStandardError(FileHandle handle);

// A named argument's value: true for a flag, or the text that followed it.
using NamedArgument = std::variant<bool, std::string>;

struct ParsedArguments {
  std::vector<std::string> positional;
  std::map<std::string, NamedArgument> named;
  bool hasNamedArgument(const std::string& key) const { return named.contains(key); }
};

// "--key value" pairs and positional arguments; "--" ends the arguments (it and everything after are dropped).
ParsedArguments parseArguments(const std::vector<std::string>& arguments);

// The program's arguments without its own path, and their parse (made once).
const std::vector<std::string>& arguments();
const std::vector<std::string>& positionalArguments();
const std::map<std::string, NamedArgument>& namedArguments();
bool hasNamedArgument(const std::string& key);

// The program as it was started (the first argument), as an absolute path; name() is its last component.
std::filesystem::path executablePath();
std::string name();
std::filesystem::path currentDirectory();

std::string standardInputData();
// The input as text without one final "\n"; none when it is not UTF-8.
std::optional<std::string> standardInputString();
std::optional<std::string> readLine(bool strippingNewline = true);

// Each value in its standard textual form (texts as they are), joined by `separator`, then `terminator`.
void printToStandardError(const std::vector<AnyValue>& values, std::string_view separator = " ",
                          std::string_view terminator = "\n");

// Runs the operation; when it throws, prints the failure's description and ends the process with status 1.
void exitOnError(const std::function<void()>& operation);

// Under sudo, switches to the invoking user: the group of "SUDO_GID" (with the user's supplementary groups) first,
// then the user of "SUDO_UID".
// A missing, empty or malformed entry changes nothing; a switch the system refuses ends the process with status 1,
// so the program never runs on with the rights it meant to give up.
void switchToRealUser();

}  // namespace kit::CLI
