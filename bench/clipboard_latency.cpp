// Measures the engine on a real X server: another client takes the clipboard with rich text, and the time
// until the clipboard holds our plain text is taken from that client's side (XFixes tells it when the owner
// changed, then it reads the text back). Run through bench/clipboard_latency.sh.
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>
#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMetaObject>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "engine/pasteboard_controller.h"
#include "engine/preference_keys.h"
#include "platform/system/xcb_reply.h"

namespace {

using Clock = std::chrono::steady_clock;

class Client {
 public:
  Client() {
    c_ = xcb_connect(nullptr, nullptr);
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c_)).data;
    window_ = xcb_generate_id(c_);
    uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(c_, XCB_COPY_FROM_PARENT, window_, screen->root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      screen->root_visual, XCB_CW_EVENT_MASK, &mask);
    clipboard_ = atom("CLIPBOARD");
    targets_ = atom("TARGETS");
    utf8_ = atom("UTF8_STRING");
    html_ = atom("text/html");
    property_ = atom("QUILLET_LATENCY");
    const xcb_query_extension_reply_t* fixes = xcb_get_extension_data(c_, &xcb_xfixes_id);
    xfixesEvent_ = fixes->first_event + XCB_XFIXES_SELECTION_NOTIFY;
    platform::xcbReply(xcb_xfixes_query_version_reply(c_, xcb_xfixes_query_version(c_, 5, 0), nullptr));
    xcb_xfixes_select_selection_input(c_, window_, clipboard_, XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER);
    xcb_flush(c_);
  }
  ~Client() { xcb_disconnect(c_); }

  // Takes the clipboard with `text` in bold and as plain text; answers when the engine's plain text was
  // there, or none when it did not come within the timeout.
  std::optional<Clock::duration> copy(const std::string& text, std::chrono::milliseconds timeout) {
    html_text_ = "<b>" + text + "</b>";
    plain_ = text;
    xcb_set_selection_owner(c_, window_, clipboard_, XCB_CURRENT_TIME);
    xcb_flush(c_);
    Clock::time_point start = Clock::now(), deadline = start + timeout;
    bool ownerChanged = false;
    while (Clock::now() < deadline) {
      auto event = next(deadline);
      if (!event) continue;
      uint8_t kind = event->response_type & 0x7f;
      if (kind == XCB_SELECTION_REQUEST) {
        serve(reinterpret_cast<xcb_selection_request_event_t*>(event.get()));
      } else if (kind == xfixesEvent_) {
        auto* notify = reinterpret_cast<xcb_xfixes_selection_notify_event_t*>(event.get());
        if (notify->owner != window_ && notify->owner != XCB_NONE) ownerChanged = true;
      }
      if (ownerChanged) {
        ownerChanged = false;
        auto got = readPlainText(deadline);
        if (got == text) return Clock::now() - start;
      }
    }
    return std::nullopt;
  }

 private:
  xcb_atom_t atom(const char* name) {
    return platform::xcbReply(
               xcb_intern_atom_reply(c_, xcb_intern_atom(c_, 0, static_cast<uint16_t>(strlen(name)), name), nullptr))
        ->atom;
  }

  platform::XcbReply<xcb_generic_event_t> next(Clock::time_point deadline) {
    if (auto event = platform::xcbReply(xcb_poll_for_event(c_))) return event;
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    pollfd p{xcb_get_file_descriptor(c_), POLLIN, 0};
    poll(&p, 1, static_cast<int>(std::max<int64_t>(1, std::min<int64_t>(left, 50))));
    return platform::xcbReply(xcb_poll_for_event(c_));
  }

  void serve(xcb_selection_request_event_t* request) {
    xcb_atom_t property = request->property == XCB_NONE ? request->target : request->property;
    bool served = true;
    if (request->target == targets_) {
      xcb_atom_t atoms[] = {targets_, html_, utf8_};
      xcb_change_property(c_, XCB_PROP_MODE_REPLACE, request->requestor, property, XCB_ATOM_ATOM, 32, 3, atoms);
    } else if (request->target == html_ || request->target == utf8_) {
      const std::string& data = request->target == html_ ? html_text_ : plain_;
      xcb_change_property(c_, XCB_PROP_MODE_REPLACE, request->requestor, property, request->target, 8,
                          static_cast<uint32_t>(data.size()), data.data());
    } else {
      served = false;
    }
    xcb_selection_notify_event_t notify{};
    notify.response_type = XCB_SELECTION_NOTIFY;
    notify.time = request->time;
    notify.requestor = request->requestor;
    notify.selection = request->selection;
    notify.target = request->target;
    notify.property = served ? property : XCB_NONE;
    xcb_send_event(c_, 0, request->requestor, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&notify));
    xcb_flush(c_);
  }

  std::optional<std::string> readPlainText(Clock::time_point deadline) {
    xcb_convert_selection(c_, window_, clipboard_, utf8_, property_, XCB_CURRENT_TIME);
    xcb_flush(c_);
    while (Clock::now() < deadline) {
      auto event = next(deadline);
      if (!event) continue;
      uint8_t kind = event->response_type & 0x7f;
      if (kind == XCB_SELECTION_REQUEST) serve(reinterpret_cast<xcb_selection_request_event_t*>(event.get()));
      if (kind != XCB_SELECTION_NOTIFY) continue;
      if (reinterpret_cast<xcb_selection_notify_event_t*>(event.get())->property == XCB_NONE) return std::nullopt;
      auto reply = platform::xcbReply(xcb_get_property_reply(
          c_, xcb_get_property(c_, 1, window_, property_, XCB_GET_PROPERTY_TYPE_ANY, 0, 1 << 20), nullptr));
      if (!reply) return std::nullopt;
      return std::string(static_cast<const char*>(xcb_get_property_value(reply.get())),
                         static_cast<size_t>(xcb_get_property_value_length(reply.get())));
    }
    return std::nullopt;
  }

  xcb_connection_t* c_;
  xcb_window_t window_;
  xcb_atom_t clipboard_, targets_, utf8_, html_, property_;
  uint8_t xfixesEvent_;
  std::string html_text_, plain_;
};

std::FILE* reportFile = stdout;

double milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

void report(const char* name, std::vector<Clock::duration> times, int copies) {
  std::sort(times.begin(), times.end());
  auto at = [&](double q) {
    return times.empty() ? 0.0 : milliseconds(times[static_cast<size_t>(q * (times.size() - 1))]);
  };
  std::fprintf(reportFile, "%-14s copies %4d  cleaned %4zu  missed %4zu  p50 %7.2f ms  p95 %7.2f ms  max %7.2f ms\n",
               name, copies, times.size(), static_cast<size_t>(copies) - times.size(), at(0.5), at(0.95), at(1.0));
  std::fflush(reportFile);
}

void measure(int copies) {
  Client client;
  std::this_thread::sleep_for(std::chrono::milliseconds(700));  // the watcher has started
  for (const bool pause : {true, false}) {
    std::vector<Clock::duration> times;
    for (int i = 0; i < copies; ++i) {
      std::string text = (pause ? "paused copy " : "back-to-back copy ") + std::to_string(i);
      if (auto took = client.copy(text, std::chrono::milliseconds(1000))) times.push_back(*took);
      if (pause) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    report(pause ? "paused 20 ms" : "back to back", times, copies);
  }
}

}  // namespace

int main(int argc, char** argv) {
  int copies = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
  std::string home = (std::filesystem::temp_directory_path() / "quillet-latency-XXXXXX").string();
  if (mkdtemp(home.data()) == nullptr) return 1;
  setenv("XDG_CONFIG_HOME", home.c_str(), 1);
  qputenv("QT_QPA_PLATFORM", "xcb");
  QGuiApplication app(argc, argv);
  // The report keeps standard output; the engine's own lines and log mirror go nowhere.
  std::fflush(stdout);
  reportFile = fdopen(dup(1), "w");
  if (std::freopen("/dev/null", "w", stdout) == nullptr || std::freopen("/dev/null", "w", stderr) == nullptr) return 1;
  kit::Preferences::set(kit::Preferences::Keys::automaticallyClearFormatting(), true);
  engine::PasteboardController::shared();
  std::thread measuring([&] {
    measure(copies);
    QMetaObject::invokeMethod(
        &app, [] { QCoreApplication::quit(); }, Qt::QueuedConnection);
  });
  int status = app.exec();
  measuring.join();
  std::filesystem::remove_all(home);
  return status;
}
