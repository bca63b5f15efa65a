#include "support/preference_files.h"

#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <stdexcept>
#include <thread>

namespace prefs_test {

std::string uniqueSuiteName() {
  static std::atomic<int> counter{0};
  return "test.quillet.suite" + std::to_string(getpid()) + "." + std::to_string(++counter);
}

platform::ManualExecutor& testMainExecutor() {
  static platform::ManualExecutor* executor = [] {
    auto* e = new platform::ManualExecutor;
    platform::setMainExecutorForTesting(e);
    return e;
  }();
  return *executor;
}

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  auto deadline = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < deadline) {
    testMainExecutor().runUntilIdle();
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  testMainExecutor().runUntilIdle();
  return condition();
}

void replaceFile(const std::filesystem::path& path, const std::string& content) {
  auto side = path.string() + ".editing";
  {
    std::ofstream out(side, std::ios::binary | std::ios::trunc);
    out << content;
  }
  std::filesystem::rename(side, path);
}

std::string commandOutput(const std::string& command) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return output;
  char buffer[4096];
  std::size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
  pclose(pipe);
  return output;
}

namespace {

// The text between single quotes in a shell command.
std::string shellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace

std::string anotherReaderSays(const std::filesystem::path& file, const std::string& expression) {
  const std::string program =
      "import plistlib, sys\n"
      "try:\n"
      "    d = plistlib.load(open(sys.argv[1], 'rb'))\n"
      "except Exception as error:\n"
      "    print('unreadable:', error)\n"
      "    sys.exit()\n"
      "print(eval(sys.argv[2]))\n";
  std::string said = commandOutput("python3 -c " + shellQuoted(program) + " " + shellQuoted(file.string()) + " " +
                                   shellQuoted(expression) + " 2>&1");
  if (said.ends_with('\n')) said.pop_back();
  return said;
}

std::string hexDigits(std::string_view bytes) {
  static constexpr char digits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char byte : bytes) {
    hex += digits[byte >> 4];
    hex += digits[byte & 0xF];
  }
  return hex;
}

namespace {

std::string bigEndian(std::uint64_t value, int size) {
  std::string bytes(static_cast<std::size_t>(size), '\0');
  for (int i = size - 1; i >= 0; --i, value >>= 8) bytes[static_cast<std::size_t>(i)] = static_cast<char>(value & 0xFF);
  return bytes;
}

// A marker with the count in its low four bits, or followed by the count as an integer object.
std::string counted(unsigned marker, std::uint64_t count) {
  if (count < 15) return std::string(1, static_cast<char>(marker | count));
  return std::string(1, static_cast<char>(marker | 0xF)) + '\x13' + bigEndian(count, 8);
}

}  // namespace

std::string binaryPropertyList(const std::vector<std::string>& objects, std::uint64_t root, int referenceSize) {
  std::string list = "bplist00", table;
  for (const auto& object : objects) {
    table += bigEndian(list.size(), 8);
    list += object;
  }
  const std::size_t tableAt = list.size();
  std::string trailer(6, '\0');
  trailer += static_cast<char>(8);  // offsets of eight bytes
  trailer += static_cast<char>(referenceSize);
  trailer += bigEndian(objects.size(), 8) + bigEndian(root, 8) + bigEndian(tableAt, 8);
  return list + table + trailer;
}

std::string binaryAsciiString(std::string_view bytes) { return counted(0x50, bytes.size()) + std::string(bytes); }

std::string binaryData(std::string_view bytes) { return counted(0x40, bytes.size()) + std::string(bytes); }

std::string binaryCollection(unsigned marker, const std::vector<std::uint64_t>& references, int referenceSize) {
  const std::uint64_t count = marker == 0xD0 ? references.size() / 2 : references.size();
  std::string object = counted(marker, count);
  for (auto reference : references) object += bigEndian(reference, referenceSize);
  return object;
}

std::string sharedReferenceChain(std::uint64_t width, std::uint64_t depth) {
  std::vector<std::string> objects{binaryCollection(0xD0, {1, 2}), binaryAsciiString("k")};
  for (std::uint64_t level = 0; level < depth; ++level)
    objects.push_back(binaryCollection(0xA0, std::vector<std::uint64_t>(width, objects.size() + 1)));
  objects.push_back(binaryCollection(0xA0, {}));
  return binaryPropertyList(objects);
}

std::string sharedTextList(std::uint64_t copies, std::size_t length) {
  return binaryPropertyList({binaryCollection(0xD0, {1, 2, 3, 4}), binaryAsciiString("Zv_launchCount"),
                             binaryAsciiString("shared"), std::string("\x10\x03", 2),
                             binaryCollection(0xA0, std::vector<std::uint64_t>(copies, 5)),
                             binaryAsciiString(std::string(length, 's'))});
}

}  // namespace prefs_test
