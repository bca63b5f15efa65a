#include "platform/system/application_identity.h"

#include <string_view>

#include "platform/core/file_reading.h"
#include "platform/system/desktop_entry.h"
#include "platform/system/x11_connection.h"

namespace platform {

namespace {

std::string procPath(int32_t pid, const char* name) { return "/proc/" + std::to_string(pid) + "/" + name; }

std::optional<std::string> flatpakIdOfProcess(int32_t pid) {
  auto environ = readWholeFileIfReadable(procPath(pid, "environ"));
  if (!environ) return std::nullopt;
  constexpr std::string_view key = "FLATPAK_ID=";
  size_t start = 0;
  while (start < environ->size()) {
    size_t end = environ->find('\0', start);
    if (end == std::string::npos) end = environ->size();
    std::string_view var(environ->data() + start, end - start);
    if (var.size() > key.size() && var.starts_with(key)) return std::string(var.substr(key.size()));
    start = end + 1;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::filesystem::path> executableOfProcess(int32_t pid) {
  if (pid <= 0) return std::nullopt;
  std::error_code ec;
  auto target = std::filesystem::read_symlink(procPath(pid, "exe"), ec);
  if (ec) return std::nullopt;
  // A replaced executable reads as "/path (deleted)".
  std::string s = target.string();
  constexpr std::string_view deleted = " (deleted)";
  if (s.size() > deleted.size() && s.ends_with(deleted)) {
    s.resize(s.size() - deleted.size());
  }
  return std::filesystem::path(s);
}

std::optional<std::string> commandNameOfProcess(int32_t pid) {
  if (pid <= 0) return std::nullopt;
  auto comm = readWholeFileIfReadable(procPath(pid, "comm"));
  if (!comm) return std::nullopt;
  while (!comm->empty() && comm->back() == '\n') comm->pop_back();
  return comm;
}

std::optional<std::string> applicationIdOfProcess(int32_t pid) {
  if (pid <= 0) return std::nullopt;
  if (auto flatpak = flatpakIdOfProcess(pid)) return flatpak;
  auto exe = executableOfProcess(pid);
  if (exe) {
    if (auto entry = DesktopEntries::matchingExecutable(*exe)) return entry->id;
    return exe->filename().string();
  }
  return commandNameOfProcess(pid);
}

std::optional<std::string> applicationIdFromWindowProperties(X11Connection& x, xcb_window_t window) {
  auto properties = x.properties8(window, {"_GTK_APPLICATION_ID", "_KDE_NET_WM_DESKTOP_FILE", "WM_CLASS"});
  if (auto& gtk = properties[0]; gtk && !gtk->empty()) return gtk;
  if (auto& kde = properties[1]; kde && !kde->empty()) {
    std::string id = std::filesystem::path(*kde).filename().string();
    constexpr std::string_view suffix = ".desktop";
    if (id.size() > suffix.size() && id.ends_with(suffix)) {
      id.resize(id.size() - suffix.size());
    }
    return id;
  }
  auto [instance, cls] = X11Connection::splitWmClass(properties[2]);
  for (const std::string& name : {cls, instance}) {
    if (auto entry = DesktopEntries::matchingWmClass(name)) return entry->id;
  }
  return std::nullopt;
}

std::optional<std::string> applicationIdOfWindow(X11Connection& x, xcb_window_t window) {
  if (window == XCB_NONE) return std::nullopt;
  if (auto id = applicationIdFromWindowProperties(x, window)) return id;
  if (auto pid = x.pidOfWindow(window)) return applicationIdOfProcess(*pid);
  return std::nullopt;
}

}  // namespace platform

namespace platform {

std::optional<std::string> applicationIdOfOwnerWindow(X11Connection& x, xcb_window_t owner) {
  if (owner == XCB_NONE) return std::nullopt;
  // Toolkits own selections with hidden helper windows; the X-Resource answer names the real client. It is asked
  // together with the window's properties.
  auto pidQuestion = x.askPidOfClient(owner);
  if (auto id = applicationIdFromWindowProperties(x, owner)) {
    x.forget(pidQuestion);
    return id;
  }
  auto pid = x.answer(pidQuestion);
  if (!pid) pid = x.pidOfWindow(owner);
  if (!pid) return std::nullopt;
  if (auto clients = x.property32(x.root(), "_NET_CLIENT_LIST")) {
    const std::vector<xcb_window_t> windows(clients->begin(), clients->end());
    const auto pids = x.pidsOfWindows(windows);
    for (size_t i = 0; i < windows.size(); ++i) {
      if (pids[i] != pid) continue;
      if (auto id = applicationIdFromWindowProperties(x, windows[i])) return id;
    }
  }
  return applicationIdOfProcess(*pid);
}

}  // namespace platform
