#include "platform/system/autostart_entry.h"

#include <cerrno>
#include <system_error>

#include "platform/core/error.h"
#include "platform/core/file_reading.h"
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
  // A link counts only where it leads to this program: another program's entry starts that program instead.
  std::error_code error;
  if (std::filesystem::is_symlink(path(), error)) return startsThisProgram(*text);
  auto entry = parseDesktopEntry(*text, "C");
  return entry && !entry->hidden && entry->autostartEnabled;
}

bool AutostartEntry::runsThisProgram(const DesktopEntry& entry) const {
  return std::filesystem::path(programOfExec(entry.exec)).filename() == description_.executable.filename();
}

bool AutostartEntry::startsThisProgram(const std::string& text) const {
  auto entry = parseDesktopEntry(text, "C");
  return entry && !entry->hidden && entry->autostartEnabled && runsThisProgram(*entry);
}

std::string AutostartEntry::text() const { return textFor(description_.executable); }

std::string AutostartEntry::textFor(const std::filesystem::path& executable) const {
  std::string exec = quotedExecArgument(executable.string());
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

namespace {

// The keys by which a desktop switches an autostart entry off.
bool isSwitchOffLine(std::string_view line) {
  return line.starts_with("Hidden=") || line.starts_with("X-GNOME-Autostart-enabled=");
}

// The entry's lines, without those of its [Desktop Entry] group that switch it off.
std::string withoutSwitchOffLines(std::string_view text) {
  std::string result;
  bool inMainGroup = false;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    std::string_view line = text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    start = end == std::string_view::npos ? text.size() : end + 1;
    if (line.starts_with("[")) inMainGroup = line == "[Desktop Entry]";
    if (inMainGroup && isSwitchOffLine(line)) continue;
    result.append(line).append("\n");
  }
  return result;
}

// The entry with "Hidden=true" as the last line of its [Desktop Entry] group.
std::string hidden(std::string_view text) {
  std::string kept = withoutSwitchOffLines(text);
  size_t group = kept.find("[Desktop Entry]\n");
  size_t next = group == std::string::npos ? std::string::npos : kept.find("\n[", group);
  kept.insert(next == std::string::npos ? kept.size() : next + 1, "Hidden=true\n");
  return kept;
}

}  // namespace

std::optional<std::string> AutostartEntry::userEntry(const std::optional<std::string>& existing) const {
  auto entry = existing ? parseDesktopEntry(*existing, "C") : std::nullopt;
  if (!entry) return std::nullopt;
  // Ours, as this program or an earlier location of it wrote it, maybe switched off by the desktop since.
  const std::string unswitched = withoutSwitchOffLines(*existing);
  if (runsThisProgram(*entry) && unswitched == textFor(programOfExec(entry->exec))) return std::nullopt;
  return existing;
}

void AutostartEntry::enable() const {
  const std::filesystem::path file = path();
  std::error_code error;
  std::filesystem::create_directories(file.parent_path(), error);
  if (error) throw fileError(error, "Could not create " + file.parent_path().string());
  const auto existing = readWholeFile(file);
  // An entry of the user's own keeps every key; only what switches it off goes.
  const auto user = userEntry(existing);
  if (!std::filesystem::is_symlink(file, error))
    return void(writeFileAtomically(file, user ? withoutSwitchOffLines(*user) : text()));
  // A link is never written through: while the entry it names starts this program at login, the link stays;
  // otherwise an entry takes the link's place, and the file it names is left as it is. Another program's entry is
  // never copied there: it would start that program instead.
  if (existing && startsThisProgram(*existing)) return;
  const auto entry = user ? parseDesktopEntry(*user, "C") : std::nullopt;
  replaceFileAtomically(file, entry && runsThisProgram(*entry) ? withoutSwitchOffLines(*user) : text());
}

void AutostartEntry::disable() const {
  const std::filesystem::path file = path();
  std::error_code error;
  // A link goes, never the file it names: the entry's text stays there, and the desktop finds nothing to start.
  // An entry of the user's own is switched off the way desktops do it, never removed.
  if (!std::filesystem::is_symlink(file, error)) {
    if (auto user = userEntry(readWholeFile(file))) return void(writeFileAtomically(file, hidden(*user)));
  }
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
