#include "platform/system/desktop_entry.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <clocale>
#include <cstdlib>
#include <map>
#include <mutex>
#include <system_error>

#include "platform/core/ascii.h"
#include "platform/core/executor.h"
#include "platform/core/file_reading.h"
#include "platform/system/folder_changes.h"
#include "platform/text/whitespace.h"

namespace platform {

namespace {

std::string unescape(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\' || i + 1 == value.size()) {
      out += value[i];
      continue;
    }
    switch (value[++i]) {
      case 's':
        out += ' ';
        break;
      case 'n':
        out += '\n';
        break;
      case 't':
        out += '\t';
        break;
      case 'r':
        out += '\r';
        break;
      case '\\':
        out += '\\';
        break;
      default:
        out += '\\';
        out += value[i];
    }
  }
  return out;
}

// Locale keys in matching order: lang_COUNTRY@MODIFIER, lang_COUNTRY, lang@MODIFIER, lang.
std::vector<std::string> localeCandidates(std::string_view locale) {
  std::string_view modifier;
  if (auto at = locale.find('@'); at != std::string_view::npos) {
    modifier = locale.substr(at + 1);
    locale = locale.substr(0, at);
  }
  if (auto dot = locale.find('.'); dot != std::string_view::npos) locale = locale.substr(0, dot);
  std::string_view lang = locale, country;
  if (auto underscore = locale.find('_'); underscore != std::string_view::npos) {
    lang = locale.substr(0, underscore);
    country = locale.substr(underscore + 1);
  }
  std::vector<std::string> out;
  if (lang.empty() || lang == "C" || lang == "POSIX") return out;
  std::string base(lang);
  if (!country.empty() && !modifier.empty())
    out.push_back(base + "_" + std::string(country) + "@" + std::string(modifier));
  if (!country.empty()) out.push_back(base + "_" + std::string(country));
  if (!modifier.empty()) out.push_back(base + "@" + std::string(modifier));
  out.push_back(base);
  return out;
}

constexpr std::array<const char*, 3> localeVariables = {"LC_ALL", "LC_MESSAGES", "LANG"};

std::string currentLocale() {
  for (const char* var : localeVariables) {
    const char* value = std::getenv(var);
    if (value != nullptr && *value != '\0') return value;
  }
  return "C";
}

std::vector<std::filesystem::path> splitPaths(const char* value, const char* fallback) {
  std::string list = (value != nullptr && *value != '\0') ? value : fallback;
  std::vector<std::filesystem::path> out;
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(':', start);
    if (end == std::string::npos) end = list.size();
    if (end > start && list[start] == '/') out.emplace_back(list.substr(start, end - start));
    start = end + 1;
  }
  return out;
}

// The environment variables the folder list and the locale are made from, as they were: while they hold, the list
// and the locale do, and comparing them costs no allocation.
class Sources {
 public:
  static Sources current() {
    Sources sources;
    for (size_t i = 0; i < variables.size(); ++i) sources.values_[i] = valueOf(variables[i]);
    return sources;
  }
  bool stillHold() const {
    for (size_t i = 0; i < variables.size(); ++i) {
      if (values_[i] != valueOf(variables[i])) return false;
    }
    return true;
  }

 private:
  static constexpr std::array<const char*, 6> variables = {
      "XDG_DATA_HOME", "HOME", "XDG_DATA_DIRS", localeVariables[0], localeVariables[1], localeVariables[2]};
  static const char* valueOf(const char* variable) {
    const char* value = std::getenv(variable);
    return value != nullptr ? value : "";  // unset and empty mean the same to both
  }
  std::array<std::string, variables.size()> values_;
};

struct Index {
  std::optional<Sources> sources;              // none before the first look-up
  std::vector<std::filesystem::path> folders;  // the applications folders scanned
  std::string locale;
  std::optional<FolderChanges> changes;  // of every folder scanned; none when the index is to be built
  std::map<std::string, DesktopEntry, std::less<>> entries;  // hidden ones included (they shadow)
  // Which entry runs each program, by the program file's device and inode, with the PATH the programs were found
  // in: each copy asks it, and finding every entry's program takes milliseconds on a full desktop, so it is done
  // once. Forgotten with the entries.
  std::optional<std::map<std::pair<dev_t, ino_t>, std::string>> entryOfProgram;
  std::string searchPath;
};

std::string readSmallFile(const std::filesystem::path& path) {
  constexpr std::uintmax_t limit = 1 << 20;  // desktop files are small; never read a huge file whole
  std::error_code ec;
  auto size = std::filesystem::file_size(path, ec);
  if (ec || size > limit) return {};
  return readWholeFileIfReadable(path).value_or("");
}

// Each folder is watched before it is read, so that a change while it is read is seen at the next look-up.
void scanFolder(const std::filesystem::path& folder, const std::string& locale, Index& index) {
  index.changes->watch(folder);
  std::error_code ec;
  std::filesystem::recursive_directory_iterator it(folder, std::filesystem::directory_options::skip_permission_denied,
                                                   ec),
      end;
  for (; !ec && it != end; it.increment(ec)) {
    if (it.depth() > 8) {
      it.disable_recursion_pending();
      continue;
    }
    if (it->is_directory(ec)) {
      index.changes->watch(it->path());  // the iterator reads it on its next step
      continue;
    }
    if (it->path().extension() != ".desktop" || !it->is_regular_file(ec)) continue;
    auto id = desktopEntryIdForRelativePath(it->path().lexically_relative(folder));
    if (!id || index.entries.count(*id) != 0) continue;
    std::string text = readSmallFile(it->path());
    auto entry = parseDesktopEntry(text, locale);
    if (!entry) continue;
    entry->id = *id;
    entry->path = it->path();
    index.entries.emplace(*id, std::move(*entry));
  }
}

std::mutex indexMutex;
Index& sharedIndex() {
  static Index index;
  return index;
}

// Runs `f` on the index, rebuilt first when the folder list, the locale or a folder changed.
template <class F>
auto withIndex(F&& f) {
  std::lock_guard lock(indexMutex);
  Index& index = sharedIndex();
  if (!index.sources || !index.sources->stillHold()) {
    index.sources = Sources::current();
    auto folders = DesktopEntries::applicationFolders();
    std::string locale = currentLocale();
    if (folders != index.folders || locale != index.locale) index.changes.reset();
    index.folders = std::move(folders);
    index.locale = std::move(locale);
  }
  if (!index.changes || index.changes->changed()) {
    index.entries.clear();
    index.entryOfProgram.reset();
    index.changes.emplace();
    for (const auto& folder : index.folders) scanFolder(folder, index.locale, index);
  }
  return f(index);
}

std::optional<std::filesystem::path> findInPath(const std::string& program) {
  if (program.empty()) return std::nullopt;
  if (program.front() == '/') return std::filesystem::path(program);
  for (const auto& dir : splitPaths(std::getenv("PATH"), "/usr/local/bin:/usr/bin:/bin")) {
    auto candidate = dir / program;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return std::nullopt;
}

// The device and inode of the file at `path`, links followed.
std::optional<std::pair<dev_t, ino_t>> fileKey(const std::filesystem::path& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return std::nullopt;
  return std::pair{status.st_dev, status.st_ino};
}

// Every visible entry's programs (TryExec, then Exec), found in PATH; where two entries run one program, the first by
// id keeps it.
const std::map<std::pair<dev_t, ino_t>, std::string>& entryOfProgram(Index& index) {
  const char* searchPath = std::getenv("PATH");
  if (index.searchPath != (searchPath != nullptr ? searchPath : "")) {
    index.entryOfProgram.reset();
    index.searchPath = searchPath != nullptr ? searchPath : "";
  }
  if (!index.entryOfProgram) {
    index.entryOfProgram.emplace();
    for (const auto& [id, entry] : index.entries) {
      if (entry.hidden) continue;
      for (const std::string& line : {entry.tryExec, entry.exec}) {
        if (auto program = findInPath(programOfExec(line)))
          if (auto key = fileKey(*program)) index.entryOfProgram->emplace(*key, id);
      }
    }
  }
  return *index.entryOfProgram;
}

}  // namespace

std::optional<DesktopEntry> parseDesktopEntry(std::string_view text, std::string_view locale) {
  DesktopEntry entry;
  std::string type;
  std::string localizedName;
  size_t localizedRank = SIZE_MAX;
  bool hasName = false;
  bool inMainGroup = false, seenMainGroup = false;
  auto candidates = localeCandidates(locale);

  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    const std::string line = trimmingWhitespaceAndNewlines(text.substr(pos, end - pos));
    pos = end + 1;
    if (line.empty() || line.front() == '#') continue;
    if (line.front() == '[') {
      if (seenMainGroup && inMainGroup) break;  // only the first [Desktop Entry] group counts
      inMainGroup = line == "[Desktop Entry]";
      seenMainGroup = seenMainGroup || inMainGroup;
      continue;
    }
    if (!inMainGroup) continue;
    size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string key = trimmingWhitespaceAndNewlines(std::string_view(line).substr(0, eq));
    std::string value = unescape(trimmingWhitespaceAndNewlines(std::string_view(line).substr(eq + 1)));
    if (key == "Type") {
      type = value;
    } else if (key == "Name") {
      entry.name = value;
      hasName = true;
    } else if (key.size() > 6 && key.starts_with("Name[") && key.ends_with(']')) {
      std::string_view tag = std::string_view(key).substr(5, key.size() - 6);
      for (size_t rank = 0; rank < candidates.size() && rank < localizedRank; ++rank) {
        if (candidates[rank] == tag) {
          localizedRank = rank;
          localizedName = value;
        }
      }
    } else if (key == "Icon") {
      entry.icon = value;
    } else if (key == "Exec") {
      entry.exec = value;
    } else if (key == "TryExec") {
      entry.tryExec = value;
    } else if (key == "StartupWMClass") {
      entry.startupWmClass = value;
    } else if (key == "Hidden") {
      entry.hidden = value == "true";
    } else if (key == "NoDisplay") {
      entry.noDisplay = value == "true";
    } else if (key == "X-GNOME-Autostart-enabled") {
      entry.autostartEnabled = value != "false";
    }
  }
  if (entry.hidden) return entry;  // a hidden entry only shadows the entries of its id further down
  if (type != "Application" || !hasName) return std::nullopt;
  if (localizedRank != SIZE_MAX && !localizedName.empty()) entry.name = localizedName;
  return entry;
}

std::optional<DesktopEntry> readDesktopEntryFile(const std::filesystem::path& path) {
  if (path.extension() != ".desktop") return std::nullopt;
  auto entry = parseDesktopEntry(readSmallFile(path), currentLocale());
  if (!entry || entry->hidden) return std::nullopt;
  entry->id = DesktopEntries::idForFile(path).value_or(path.stem().string());
  entry->path = path;
  return entry;
}

std::string programOfExec(std::string_view exec) {
  std::vector<std::string> words;
  std::string word;
  bool inQuotes = false, hasWord = false;
  for (size_t i = 0; i < exec.size() && words.size() < 64; ++i) {
    char c = exec[i];
    if (inQuotes) {
      if (c == '"') {
        inQuotes = false;
      } else if (c == '\\' && i + 1 < exec.size()) {
        word += exec[++i];
      } else {
        word += c;
      }
    } else if (c == '"') {
      inQuotes = hasWord = true;
    } else if (c == ' ' || c == '\t') {
      if (hasWord) words.push_back(std::move(word));
      word.clear();
      hasWord = false;
    } else {
      word += c;
      hasWord = true;
    }
  }
  if (hasWord) words.push_back(std::move(word));
  size_t i = 0;
  if (i < words.size() && (words[i] == "env" || words[i] == "/usr/bin/env")) {
    ++i;
    while (i < words.size() && words[i].find('=') != std::string::npos) ++i;
  }
  if (i == words.size()) return {};
  // A literal "%" is written "%%", the way field codes are told apart from it.
  std::string program;
  for (size_t j = 0; j < words[i].size(); ++j) {
    program += words[i][j];
    if (words[i][j] == '%' && j + 1 < words[i].size() && words[i][j + 1] == '%') ++j;
  }
  return program;
}

std::optional<std::string> desktopEntryIdForRelativePath(const std::filesystem::path& relative) {
  std::string s = relative.generic_string();
  constexpr std::string_view suffix = ".desktop";
  if (s.size() <= suffix.size() || !s.ends_with(suffix)) return std::nullopt;
  if (s.starts_with('/') || s.starts_with("../")) return std::nullopt;
  s.resize(s.size() - suffix.size());
  std::replace(s.begin(), s.end(), '/', '-');
  return s;
}

std::vector<std::filesystem::path> DesktopEntries::applicationFolders() {
  std::vector<std::filesystem::path> folders;
  const char* dataHome = std::getenv("XDG_DATA_HOME");
  if (dataHome != nullptr && *dataHome == '/') {
    folders.emplace_back(std::filesystem::path(dataHome) / "applications");
  } else if (const char* home = std::getenv("HOME"); home != nullptr && *home == '/') {
    folders.emplace_back(std::filesystem::path(home) / ".local/share/applications");
  }
  for (auto& folder : sharedApplicationFolders()) folders.push_back(std::move(folder));
  return folders;
}

std::vector<std::filesystem::path> DesktopEntries::sharedApplicationFolders() {
  std::vector<std::filesystem::path> folders;
  for (const auto& dir : splitPaths(std::getenv("XDG_DATA_DIRS"), "/usr/local/share:/usr/share"))
    folders.push_back(dir / "applications");
  return folders;
}

std::shared_future<void> DesktopEntries::readAhead() {
  auto read = std::make_shared<std::promise<void>>();
  std::shared_future<void> done = read->get_future().share();
  globalExecutor(Priority::userInitiated).post([read] {
    withIndex([](Index& index) { entryOfProgram(index); });
    read->set_value();
  });
  return done;
}

std::optional<DesktopEntry> DesktopEntries::lookup(std::string_view id) {
  return withIndex([&](Index& index) -> std::optional<DesktopEntry> {
    auto it = index.entries.find(id);
    if (it == index.entries.end() || it->second.hidden) return std::nullopt;
    return it->second;
  });
}

std::optional<std::string> DesktopEntries::idForFile(const std::filesystem::path& path) {
  for (const auto& folder : applicationFolders()) {
    auto relative = path.lexically_normal().lexically_relative(folder.lexically_normal());
    if (relative.empty() || *relative.begin() == "..") continue;
    return desktopEntryIdForRelativePath(relative);
  }
  return std::nullopt;
}

std::vector<DesktopEntry> DesktopEntries::all() {
  return withIndex([](Index& index) {
    std::vector<DesktopEntry> out;
    for (const auto& [id, entry] : index.entries) {
      if (!entry.hidden) out.push_back(entry);
    }
    return out;
  });
}

std::optional<DesktopEntry> DesktopEntries::matchingWmClass(std::string_view wmClass) {
  if (wmClass.empty()) return std::nullopt;
  return withIndex([&](Index& index) -> std::optional<DesktopEntry> {
    for (const auto& [id, entry] : index.entries) {
      if (!entry.hidden && equalsIgnoringAsciiCase(entry.startupWmClass, wmClass)) return entry;
    }
    for (const auto& [id, entry] : index.entries) {
      if (!entry.hidden && equalsIgnoringAsciiCase(id, wmClass)) return entry;
    }
    return std::nullopt;
  });
}

std::optional<DesktopEntry> DesktopEntries::matchingExecutable(const std::filesystem::path& executable) {
  if (executable.empty()) return std::nullopt;
  const auto key = fileKey(executable);
  if (!key) return std::nullopt;
  return withIndex([&](Index& index) -> std::optional<DesktopEntry> {
    const auto& programs = entryOfProgram(index);
    auto it = programs.find(*key);
    if (it == programs.end()) return std::nullopt;
    return index.entries.at(it->second);
  });
}

}  // namespace platform
