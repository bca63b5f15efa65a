#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct DesktopEntry;

// The application as a login item: an XDG autostart entry, $XDG_CONFIG_HOME/autostart/<id>.desktop, which the
// desktop starts at login. Nothing is remembered here: every question reads the file again.
class AutostartEntry {
 public:
  struct Description {
    std::string id;  // the desktop-entry id, also the file's name
    std::string name;
    std::filesystem::path executable;
    std::vector<std::string> arguments;
    std::string iconName;
  };

  explicit AutostartEntry(Description description);

  std::filesystem::path path() const;
  // The file is an application entry that is neither Hidden nor switched off for GNOME; through a symbolic link, one
  // that also runs this program.
  bool isEnabled() const;
  // Writes the entry in one step, replacing one this program wrote (also from an earlier location). An entry of
  // the user's own at this path keeps its keys: only what switches it off (Hidden, X-GNOME-Autostart-enabled) is
  // taken out. A symbolic link is never written through: it stays when the entry it names starts this program at
  // login; else an entry is written in its place, the named one without what switches it off when it runs this
  // program, this program's own otherwise. Throws PlatformError.
  void enable() const;
  // Removes the entry this program wrote; one that is not there is fine. An entry of the user's own is switched
  // off with Hidden=true instead, the way desktops do it. A symbolic link is removed, and the file it names is left
  // as it is. Throws PlatformError.
  void disable() const;

  // The file's content.
  std::string text() const;

 private:
  // The content for the program at `executable`.
  std::string textFor(const std::filesystem::path& executable) const;
  // The entry's content when it is a desktop entry that this program did not write.
  std::optional<std::string> userEntry(const std::optional<std::string>& existing) const;
  // The entry's Exec line runs a program of this program's file name.
  bool runsThisProgram(const DesktopEntry& entry) const;
  // The text is an entry that runs this program and is switched on.
  bool startsThisProgram(const std::string& text) const;

  Description description_;
};

// One argument of an Exec line: as it is when it holds no reserved character, else between double quotes
// with `"`, backquote, `$` and `\` escaped. A literal "%" is doubled either way.
std::string quotedExecArgument(std::string_view argument);

// A value as a desktop file stores it: backslash, line feed, tab and carriage return escaped.
std::string escapedDesktopValue(std::string_view value);

}  // namespace platform
