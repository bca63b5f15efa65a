#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

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
  // The file is an application entry that is neither Hidden nor switched off for GNOME.
  bool isEnabled() const;
  // Writes the entry in one step, replacing what is there. Throws PlatformError.
  void enable() const;
  // Removes the file; one that is not there is fine. Throws PlatformError.
  void disable() const;

  // The file's content.
  std::string text() const;

 private:
  Description description_;
};

// One argument of an Exec line: as it is when it holds no reserved character, else between double quotes
// with `"`, backquote, `$` and `\` escaped. A literal "%" is doubled either way.
std::string quotedExecArgument(std::string_view argument);

// A value as a desktop file stores it: backslash, line feed, tab and carriage return escaped.
std::string escapedDesktopValue(std::string_view value);

}  // namespace platform
