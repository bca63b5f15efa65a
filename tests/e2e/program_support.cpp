#include "program_support.h"

#include <xcb/res.h>

#include <cstdlib>
#include <regex>
#include <sstream>
#include <thread>

#include "platform/system/xcb_reply.h"

namespace programtest {

namespace {

void appendOption(const char* variable, const std::string& option) {
  const char* current = std::getenv(variable);
  std::string value = current ? current : "";
  if (value.find(option) == std::string::npos)
    setenv(variable, (value.empty() ? option : value + ":" + option).c_str(), 1);
}

}  // namespace

const std::string& quilletPath() {
  static const std::string path = std::string(QUILLET_BIN_DIR) + "/quillet";
  return path;
}

bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(50ms);
  }
  return true;
}

std::string busCall(const std::string& destination, const std::string& path, const std::string& method,
                    const std::vector<std::string>& arguments) {
  std::vector<std::string> command{
      "dbus-send", "--session", "--print-reply", "--reply-timeout=5000", "--dest=" + destination, path, method};
  command.insert(command.end(), arguments.begin(), arguments.end());
  return x11test::run(command);
}

pid_t busNameOwnerPid() {
  std::string reply = busCall("org.freedesktop.DBus", "/org/freedesktop/DBus",
                              "org.freedesktop.DBus.GetConnectionUnixProcessID", {"string:com.kestrova.Quillet"});
  auto at = reply.find("uint32 ");
  return at == std::string::npos ? -1 : static_cast<pid_t>(std::stol(reply.substr(at + 7)));
}

bool instanceAnswers() {
  return busCall("com.kestrova.Quillet", "/com/kestrova/Quillet",
                 "com.kestrova.Quillet.Intents.RemoveTrackingParametersFromURLs", {"array:string:"})
             .find("array") != std::string::npos;
}

void useHome(const std::string& home) {
  setenv("HOME", home.c_str(), 1);
  setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
  setenv("XDG_DATA_HOME", (home + "/data").c_str(), 1);
  setenv("XDG_CACHE_HOME", (home + "/cache").c_str(), 1);
  setenv("XDG_RUNTIME_DIR", home.c_str(), 1);
  unsetenv("WAYLAND_DISPLAY");
  // Sanitizer builds of the program: Qt, D-Bus and GLib are not instrumented, and font discovery keeps its
  // caches for the life of the process.
  appendOption("TSAN_OPTIONS", "suppressions=" QUILLET_TEST_DATA "/qt_races.supp");
  appendOption("LSAN_OPTIONS", "suppressions=" QUILLET_TEST_DATA "/fontconfig_leaks.supp");
}

std::unique_ptr<x11test::ChildProcess> startTray() {
  auto tray = x11test::startEmbeddingTray();
  std::this_thread::sleep_for(500ms);
  return tray;
}

std::optional<std::pair<int, int>> trayIconCentre() {
  std::istringstream tree(x11test::run({"xwininfo", "-root", "-tree"}));
  // `"Quillet": ("quillet" "Quillet")  22x26+0+0  +1257+1`: the size, then the place on the screen.
  static const std::regex icon(R"re(\("quillet" "Quillet"\)\s+(\d+)x(\d+)\S*\s+\+(-?\d+)\+(-?\d+))re");
  auto indentation = [](const std::string& line) { return line.find_first_not_of(' '); };
  std::optional<size_t> panelIndentation;
  for (std::string line; std::getline(tree, line);) {
    if (!panelIndentation) {
      if (line.find("(\"panel\" \"trayer\")") != std::string::npos) panelIndentation = indentation(line);
      continue;
    }
    if (indentation(line) <= *panelIndentation) break;  // past the panel's own windows
    std::smatch match;
    if (std::regex_search(line, match, icon))
      return std::pair{std::stoi(match[3]) + std::stoi(match[1]) / 2, std::stoi(match[4]) + std::stoi(match[2]) / 2};
  }
  return std::nullopt;
}

std::vector<uint32_t> xConnectionsOf(pid_t pid) {
  x11test::Client c;
  xcb_res_client_id_spec_t everyClient{XCB_NONE, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
  auto reply =
      platform::xcbReply(xcb_res_query_client_ids_reply(c, xcb_res_query_client_ids(c, 1, &everyClient), nullptr));
  std::vector<uint32_t> connections;
  if (reply) {
    for (auto it = xcb_res_query_client_ids_ids_iterator(reply.get()); it.rem > 0; xcb_res_client_id_value_next(&it)) {
      if (xcb_res_client_id_value_value_length(it.data) == 1 &&
          static_cast<pid_t>(*xcb_res_client_id_value_value(it.data)) == pid) {
        connections.push_back(it.data->spec.client);
      }
    }
  }
  return connections;
}

pid_t clipboardOwnerPid() {
  const xcb_window_t owner = x11test::clipboardOwner();
  if (owner == XCB_NONE) return -1;
  x11test::Client c;
  xcb_res_client_id_spec_t spec{owner, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
  auto reply = platform::xcbReply(xcb_res_query_client_ids_reply(c, xcb_res_query_client_ids(c, 1, &spec), nullptr));
  pid_t pid = -1;
  if (reply) {
    auto it = xcb_res_query_client_ids_ids_iterator(reply.get());
    if (it.rem > 0 && xcb_res_client_id_value_value_length(it.data) == 1)
      pid = static_cast<pid_t>(*xcb_res_client_id_value_value(it.data));
  }
  return pid;
}

std::string preferencesFile(const std::string& entries) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
         "<key>Zv_launchCount</key><integer>4</integer>\n" +
         entries + "</dict>\n</plist>\n";
}

}  // namespace programtest
