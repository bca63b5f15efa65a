#include "platform/system/autostart_entry.h"

#include <cerrno>
#include <system_error>

#include "platform/core/error.h"
#include "platform/prefs/preference_file.h"
#include "platform/system/desktop_entry.h"

namespace platform {

namespace {

constexpr std::string_view reservedInExec = " \t\n\"'\\><~|&;$*?#()`";

PlatformError fileError(const std::error_code& code, const std::string& context) {
  return PlatformError::posix(code.value(), context);
}

}  // namespace

AutostartEntry::AutostartEntry(Description description) : description_(std::move(description)) {}

std::filesystem::path AutostartEntry::path() const {
  return configDirectory() / "autostart" / (description_.id + ".desktop");
}

bool AutostartEntry::isEnabled() const {
  std::optional<std::string> text;
  try {
    text = readWholeFile(path());
  } catch (const PlatformError&) {
    return false;  // an unreadable entry starts nothing either
  }
  if (!text) return false;
  auto entry = parseDesktopEntry(*text, "C");
  return entry && !entry->hidden && entry->autostartEnabled;
}

std::string AutostartEntry::text() const {
  std::string exec = quotedExecArgument(description_.executable.string());
  for (const auto& argument : description_.arguments) exec += " " + quotedExecArgument(argument);
  // The panel comes up first, so that the tray icon has a place to go.
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Name=" +
         escapedDesktopValue(description_.name) +
         "\n"
         "Exec=" +
         escapedDesktopValue(exec) +
         "\n"
         "Icon=" +
         escapedDesktopValue(description_.iconName) +
         "\n"
         "X-GNOME-Autostart-Delay=3\n"
         "X-KDE-autostart-after=panel\n";
}

void AutostartEntry::enable() const {
  const std::filesystem::path file = path();
  std::error_code error;
  std::filesystem::create_directories(file.parent_path(), error);
  if (error) throw fileError(error, "Could not create " + file.parent_path().string());
  writeFileAtomically(file, text());
}

void AutostartEntry::disable() const {
  const std::filesystem::path file = path();
  std::error_code error;
  std::filesystem::remove(file, error);
  if (error) throw fileError(error, "Could not remove " + file.string());
}

std::string quotedExecArgument(std::string_view argument) {
  const bool needsQuotes = argument.empty() || argument.find_first_of(reservedInExec) != std::string_view::npos;
  std::string out;
  if (needsQuotes) out += '"';
  for (char c : argument) {
    if (c == '%') {
      out += "%%";
      continue;
    }
    if (needsQuotes && (c == '"' || c == '`' || c == '$' || c == '\\')) out += '\\';
    out += c;
  }
  if (needsQuotes) out += '"';
  return out;
}

std::string escapedDesktopValue(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (char c : value) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        out += c;
    }
  }
  return out;
}

}  // namespace platform
