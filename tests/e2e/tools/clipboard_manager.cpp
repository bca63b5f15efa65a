// A naive clipboard manager for tests and benchmarks: it takes the clipboard back after each write of the cleaning
// engine (a copy that carries the engine's marker), either with the last copy it saw from anyone else ("original")
// or with the text targets it just read from the engine's write, without the marker ("echo"). As "save" it is a
// manager of the kind the desktop standards describe instead: it owns CLIPBOARD_MANAGER and, asked to save the
// clipboard (SAVE_TARGETS) by an owner that quits, reads all it offers and keeps serving it. It prints "saved <its
// UTF8_STRING>" then.
//   clipboard_manager original|echo [html text]
//   clipboard_manager save
// It starts with the user's first copy of `html` and `text`, made by another client as in an application: a process of
// its own that serves it until it loses the clipboard. Each copy it sees is printed as "saw <its UTF8_STRING>", each
// take as "took". It runs until it is killed.
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>
#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/pasteboard/x11_selection_answer.h"
#include "platform/system/xcb_reply.h"

namespace {

using Targets = std::map<std::string, std::string>;

class Manager {
 public:
  enum class Mode { original, echo, save };

  explicit Manager(Mode mode) : mode_(mode) {
    c_ = xcb_connect(nullptr, nullptr);
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c_)).data;
    window_ = xcb_generate_id(c_);
    uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(c_, XCB_COPY_FROM_PARENT, window_, screen->root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      screen->root_visual, XCB_CW_EVENT_MASK, &mask);
    clipboard_ = atom("CLIPBOARD");
    targets_ = atom("TARGETS");
    property_ = atom("_MANAGER_READ");
    fixesEvent_ = xcb_get_extension_data(c_, &xcb_xfixes_id)->first_event + XCB_XFIXES_SELECTION_NOTIFY;
    platform::xcbReply(xcb_xfixes_query_version_reply(c_, xcb_xfixes_query_version(c_, 5, 0), nullptr));
    xcb_xfixes_select_selection_input(c_, window_, clipboard_, XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER);
    if (mode_ == Mode::save) {
      manager_ = atom("CLIPBOARD_MANAGER");
      saveTargets_ = atom("SAVE_TARGETS");
      xcb_set_selection_owner(c_, window_, manager_, XCB_CURRENT_TIME);
    }
    platform::xcbReply(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr));  // listening from now on
  }

  // As the application the user copies in: owns the clipboard with the content until another client takes it.
  void serveUntilTaken(Targets content) {
    served_ = std::move(content);
    xcb_set_selection_owner(c_, window_, clipboard_, XCB_CURRENT_TIME);
    xcb_flush(c_);
    while (auto event = platform::xcbReply(xcb_wait_for_event(c_))) {
      uint8_t type = event->response_type & 0x7f;
      if (type == XCB_SELECTION_CLEAR) return;
      if (type == XCB_SELECTION_REQUEST) serve(reinterpret_cast<const xcb_selection_request_event_t&>(*event));
    }
  }

  void take(Targets content) {
    served_ = std::move(content);
    xcb_set_selection_owner(c_, window_, clipboard_, XCB_CURRENT_TIME);
    xcb_flush(c_);
    std::printf("took\n");
    std::fflush(stdout);
  }

  void run() {
    for (;;) {
      while (!changes_.empty()) {
        xcb_timestamp_t time = changes_.front();
        changes_.pop_front();
        ownerChanged(time);
      }
      auto event = platform::xcbReply(xcb_wait_for_event(c_));
      if (!event) return;
      handle(*event);
    }
  }

 private:
  xcb_atom_t atom(std::string_view name) {
    auto r = platform::xcbReply(
        xcb_intern_atom_reply(c_, xcb_intern_atom(c_, 0, static_cast<uint16_t>(name.size()), name.data()), nullptr));
    return r ? r->atom : xcb_atom_t{XCB_ATOM_NONE};
  }

  std::string nameOf(xcb_atom_t a) {
    auto r = platform::xcbReply(xcb_get_atom_name_reply(c_, xcb_get_atom_name(c_, a), nullptr));
    return r ? std::string(xcb_get_atom_name_name(r.get()), xcb_get_atom_name_name_length(r.get())) : std::string();
  }

  void handle(const xcb_generic_event_t& event) {
    uint8_t type = event.response_type & 0x7f;
    if (type == XCB_SELECTION_REQUEST) {
      const auto& request = reinterpret_cast<const xcb_selection_request_event_t&>(event);
      if (mode_ == Mode::save && request.selection == manager_) {
        save(request);
      } else {
        serve(request);
      }
    } else if (type == fixesEvent_ && mode_ != Mode::save) {
      const auto& notify = reinterpret_cast<const xcb_xfixes_selection_notify_event_t&>(event);
      if (notify.owner != window_ && notify.owner != XCB_NONE) changes_.push_back(notify.timestamp);
    }
  }

  // Reads one target of the new owner, serving our own requests meanwhile.
  std::optional<std::string> read(xcb_atom_t target, xcb_timestamp_t time) {
    xcb_convert_selection(c_, window_, clipboard_, target, property_, time);
    xcb_flush(c_);
    for (;;) {
      pollfd p{xcb_get_file_descriptor(c_), POLLIN, 0};
      auto event = platform::xcbReply(xcb_poll_for_event(c_));
      if (!event) {
        if (poll(&p, 1, 2000) <= 0) return std::nullopt;
        continue;
      }
      if ((event->response_type & 0x7f) != XCB_SELECTION_NOTIFY) {
        handle(*event);
        continue;
      }
      auto* notify = reinterpret_cast<xcb_selection_notify_event_t*>(event.get());
      if (notify->property == XCB_NONE) return std::nullopt;
      auto value = platform::xcbReply(xcb_get_property_reply(
          c_, xcb_get_property(c_, 1, window_, property_, XCB_GET_PROPERTY_TYPE_ANY, 0, 1 << 24), nullptr));
      if (!value) return std::nullopt;
      return std::string(static_cast<const char*>(xcb_get_property_value(value.get())),
                         static_cast<size_t>(xcb_get_property_value_length(value.get())));
    }
  }

  // Reads every target the quitting owner offers, answers, and takes the clipboard to serve them from now on.
  void save(const xcb_selection_request_event_t& request) {
    Targets saved;
    if (request.target == saveTargets_) {
      if (auto list = read(targets_, request.time)) {
        for (size_t i = 0; i + 4 <= list->size(); i += 4) {
          xcb_atom_t a;
          std::memcpy(&a, list->data() + i, 4);
          std::string name = nameOf(a);
          if (name == "TARGETS" || name == "MULTIPLE" || name == "TIMESTAMP" || name == "SAVE_TARGETS") continue;
          if (auto data = read(a, request.time)) saved[name] = *data;
        }
      }
    }
    platform::answerSelectionRequest(c_, request, !saved.empty());
    if (saved.empty()) return;
    std::printf("saved %s\n", saved.count("UTF8_STRING") != 0 ? saved["UTF8_STRING"].c_str() : "");
    take(std::move(saved));
  }

  void ownerChanged(xcb_timestamp_t time) {
    auto list = read(targets_, time);
    if (!list) return;
    Targets text;
    bool cleaned = false;
    for (size_t i = 0; i + 4 <= list->size(); i += 4) {
      xcb_atom_t a;
      std::memcpy(&a, list->data() + i, 4);
      std::string name = nameOf(a);
      if (name == "com.kestrova.Quillet.hasRun") cleaned = true;
      // Text targets only: markers are dropped.
      if (name.rfind("text/", 0) == 0 || name == "UTF8_STRING" || name == "STRING" || name == "application/rtf") {
        if (auto data = read(a, time)) text[name] = *data;
      }
    }
    std::printf("saw %s\n", text.count("UTF8_STRING") != 0 ? text["UTF8_STRING"].c_str() : "");
    std::fflush(stdout);
    if (!cleaned) {
      original_ = text;
      return;
    }
    take(mode_ == Mode::echo ? text : original_);
  }

  void serve(const xcb_selection_request_event_t& request) {
    xcb_atom_t property = platform::answerProperty(request);
    bool served = true;
    if (request.target == targets_) {
      std::vector<xcb_atom_t> atoms{targets_};
      for (const auto& [name, data] : served_) atoms.push_back(atom(name));
      xcb_change_property(c_, XCB_PROP_MODE_REPLACE, request.requestor, property, XCB_ATOM_ATOM, 32,
                          static_cast<uint32_t>(atoms.size()), atoms.data());
    } else if (auto it = served_.find(nameOf(request.target)); it != served_.end()) {
      xcb_change_property(c_, XCB_PROP_MODE_REPLACE, request.requestor, property, request.target, 8,
                          static_cast<uint32_t>(it->second.size()), it->second.data());
    } else {
      served = false;
    }
    platform::answerSelectionRequest(c_, request, served);
  }

  Mode mode_;
  xcb_connection_t* c_;
  xcb_window_t window_;
  xcb_atom_t clipboard_, targets_, property_, manager_ = XCB_ATOM_NONE, saveTargets_ = XCB_ATOM_NONE;
  uint8_t fixesEvent_;
  Targets served_, original_;
  std::deque<xcb_timestamp_t> changes_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string_view mode = argv[1];
  Manager manager(mode == "echo"   ? Manager::Mode::echo
                  : mode == "save" ? Manager::Mode::save
                                   : Manager::Mode::original);
  if (mode == "save") {
    manager.run();
    return 0;
  }
  std::string html = argc > 2 ? argv[2] : "<p><b>Rich</b> copy with a <a href=\"https://example.com/\">link</a></p>";
  std::string text = argc > 3 ? argv[3] : "Rich copy with a link";
  if (fork() == 0) {
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    close(STDOUT_FILENO);  // what the manager prints is its own
    Manager application(Manager::Mode::original);
    application.serveUntilTaken({{"text/html", html}, {"UTF8_STRING", text}, {"text/plain", text}});
    return 0;
  }
  manager.run();
  return 0;
}
