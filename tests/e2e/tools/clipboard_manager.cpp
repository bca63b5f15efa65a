// A naive clipboard manager for tests and benchmarks: it takes the clipboard back after each write of the cleaning
// engine (a copy that carries the engine's marker), either with the last copy it saw from anyone else ("original")
// or with the text targets it just read from the engine's write, without the marker ("echo"). As "save" it is a
// manager of the kind the desktop standards describe instead: it owns CLIPBOARD_MANAGER and, asked to save the
// clipboard (SAVE_TARGETS) by an owner that quits, reads all it offers and keeps serving it. It prints "saved <its
// UTF8_STRING>" then. As "every" it is a manager that keeps the clipboard alive: it takes over every copy of anyone
// else (the engine's writes included) right after it sees it, offering all it read: rich targets and markers too; a
// copy replaced while it read it is not taken over ("skipped").
// As "reassert" it is no manager but the application itself, as a remote desktop's clipboard synchroniser behaves: it
// owns the user's copy and takes the clipboard back with it after each write of the engine, at once or `delay`
// milliseconds after it.
//   clipboard_manager original|echo [html text]
//   clipboard_manager reassert [html text [delay]]
//   clipboard_manager save|every
// It starts with the user's first copy of `html` and `text`, made by another client as in an application (a process of
// its own that serves it until it loses the clipboard), or as "reassert" by itself; "save" and "every" start with no
// copy. Each copy it sees is printed as "saw <its UTF8_STRING>", each take as "took". It runs until it is killed.
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <chrono>
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
#include "support/rich_text_sample.h"
#include "support/x11_client.h"
#include "support/x11_selection.h"

namespace {

using Targets = std::map<std::string, std::string>;

class Manager {
 public:
  enum class Mode { original, echo, reassert, save, every };

  explicit Manager(Mode mode, std::chrono::milliseconds answerDelay = {}) : mode_(mode), answerDelay_(answerDelay) {
    window_ = selectiontest::createSelectionWindow(c_, XCB_EVENT_MASK_PROPERTY_CHANGE);
    clipboard_ = atom("CLIPBOARD");
    targets_ = atom("TARGETS");
    property_ = atom("_MANAGER_READ");
    fixesEvent_ = selectiontest::watchOwnerChanges(c_, window_, clipboard_);
    if (mode_ == Mode::save) {
      manager_ = atom("CLIPBOARD_MANAGER");
      saveTargets_ = atom("SAVE_TARGETS");
      xcb_set_selection_owner(c_, window_, manager_, XCB_CURRENT_TIME);
    }
    c_.roundTrip();  // listening from now on
  }

  // As the application the user copies in: owns the clipboard with the content.
  void copy(Targets content) {
    original_ = content;
    offer(std::move(content));
    xcb_set_selection_owner(c_, window_, clipboard_, XCB_CURRENT_TIME);
    xcb_flush(c_);
  }

  // Copies, and serves the copy until another client takes the clipboard.
  void serveUntilTaken(Targets content) {
    copy(std::move(content));
    while (auto event = platform::xcbReply(xcb_wait_for_event(c_))) {
      uint8_t type = event->response_type & 0x7f;
      if (type == XCB_SELECTION_CLEAR) return;
      if (type == XCB_SELECTION_REQUEST) serve(reinterpret_cast<const xcb_selection_request_event_t&>(*event));
    }
  }

  void take(Targets content) {
    offer(std::move(content));
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
        // Taking over a copy that another one replaced already would bring the older one back.
        if (mode_ == Mode::every && !changes_.empty()) continue;
        ownerChanged(time);
      }
      if (takeAt_ && selectiontest::Clock::now() >= *takeAt_) {
        takeAt_.reset();
        take(original_);
        continue;
      }
      auto event = takeAt_ ? selectiontest::nextEvent(c_, *takeAt_) : platform::xcbReply(xcb_wait_for_event(c_));
      if (event) {
        handle(*event);
      } else if (!takeAt_) {
        return;
      }
    }
  }

 private:
  xcb_atom_t atom(std::string_view name) { return selectiontest::atom(c_, name); }
  std::string nameOf(xcb_atom_t a) { return selectiontest::atomName(c_, a); }

  void offer(Targets content) {
    served_ = std::move(content);
    offer_.clear();
    for (const auto& [name, data] : served_) offer_.emplace_back(atom(name), data);
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
    } else if (mode_ != Mode::save) {
      if (auto taken = selectiontest::takenByAnother(event, fixesEvent_, window_)) changes_.push_back(*taken);
    }
  }

  // Reads one target of the new owner, serving our own requests meanwhile.
  std::optional<std::string> read(xcb_atom_t target, xcb_timestamp_t time) {
    return selectiontest::read(c_, window_, clipboard_, target, property_, time,
                               selectiontest::Clock::now() + std::chrono::seconds(2),
                               [this](const xcb_generic_event_t& event) { handle(event); });
  }

  // Every target the owner offers, with its data, but those of the selection protocol itself.
  Targets readAll(xcb_timestamp_t time) {
    Targets all;
    auto list = read(targets_, time);
    if (!list) return all;
    for (size_t i = 0; i + 4 <= list->size(); i += 4) {
      xcb_atom_t a;
      std::memcpy(&a, list->data() + i, 4);
      std::string name = nameOf(a);
      if (name == "TARGETS" || name == "MULTIPLE" || name == "TIMESTAMP" || name == "SAVE_TARGETS") continue;
      if (auto data = read(a, time)) all[name] = *data;
    }
    return all;
  }

  // Reads every target the quitting owner offers, answers, and takes the clipboard to serve them from now on.
  void save(const xcb_selection_request_event_t& request) {
    Targets saved;
    if (request.target == saveTargets_) saved = readAll(request.time);
    platform::answerSelectionRequest(c_, request, !saved.empty());
    if (saved.empty()) return;
    std::printf("saved %s\n", saved.count("UTF8_STRING") != 0 ? saved["UTF8_STRING"].c_str() : "");
    take(std::move(saved));
  }

  void ownerChanged(xcb_timestamp_t time) {
    if (mode_ == Mode::every) {
      Targets all = readAll(time);
      std::printf("saw %s\n", all.count("UTF8_STRING") != 0 ? all["UTF8_STRING"].c_str() : "");
      std::fflush(stdout);
      if (all.empty()) return;
      if (!changes_.empty()) {
        // Replaced while it was read: taking it over would bring the older copy back over the newer one.
        std::printf("skipped\n");
        std::fflush(stdout);
        return;
      }
      take(std::move(all));
      return;
    }
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
      if (mode_ != Mode::reassert) original_ = text;
      takeAt_.reset();  // another copy came meanwhile: its own
      return;
    }
    if (answerDelay_ > std::chrono::milliseconds::zero()) {
      takeAt_ = selectiontest::Clock::now() + answerDelay_;
      return;
    }
    take(mode_ == Mode::echo ? text : original_);
  }

  void serve(const xcb_selection_request_event_t& request) { selectiontest::answer(c_, request, targets_, offer_); }

  Mode mode_;
  std::chrono::milliseconds answerDelay_;
  std::optional<selectiontest::Clock::time_point> takeAt_;  // a take put off by the delay
  x11test::Client c_;
  xcb_window_t window_;
  xcb_atom_t clipboard_, targets_, property_, manager_ = XCB_ATOM_NONE, saveTargets_ = XCB_ATOM_NONE;
  uint8_t fixesEvent_;
  Targets served_, original_;
  selectiontest::Offer offer_;  // what it serves, in the name order of served_
  std::deque<xcb_timestamp_t> changes_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string_view mode = argv[1];
  const std::chrono::milliseconds answerDelay(argc > 4 ? std::atoi(argv[4]) : 0);
  Manager manager(mode == "echo"       ? Manager::Mode::echo
                  : mode == "reassert" ? Manager::Mode::reassert
                  : mode == "save"     ? Manager::Mode::save
                  : mode == "every"    ? Manager::Mode::every
                                       : Manager::Mode::original,
                  answerDelay);
  if (mode == "save" || mode == "every") {
    manager.run();
    return 0;
  }
  const richtext_test::RichCopy sample = richtext_test::richCopy("Rich copy with a");
  std::string html = argc > 2 ? argv[2] : sample.html;
  std::string text = argc > 3 ? argv[3] : sample.text;
  const Targets copied{{"text/html", html}, {"UTF8_STRING", text}, {"text/plain", text}};
  if (mode == "reassert") {
    manager.copy(copied);
    manager.run();
    return 0;
  }
  if (fork() == 0) {
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    close(STDOUT_FILENO);  // what the manager prints is its own
    {
      Manager application(Manager::Mode::original);
      application.serveUntilTaken(copied);
    }
    // Without the manager's destructor: the connection it holds is the parent's too, and closing it here would shut
    // the socket under the parent.
    _exit(0);
  }
  manager.run();
  return 0;
}
