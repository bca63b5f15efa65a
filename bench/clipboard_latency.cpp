// Measures the engine on a real X server: another client takes the clipboard with rich text, and the time
// until the clipboard holds our plain text is taken from that client's side (XFixes tells it when the owner
// changed, then it reads the text back). Run through bench/clipboard_latency.sh.
#include <stdlib.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMetaObject>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "engine/pasteboard_controller.h"
#include "engine/preference_keys.h"
#include "support/x11_client.h"
#include "support/x11_selection.h"

namespace {

using selectiontest::Clock;

class CopyingClient {
 public:
  CopyingClient() {
    window_ = selectiontest::createSelectionWindow(c_, XCB_EVENT_MASK_PROPERTY_CHANGE);
    clipboard_ = selectiontest::atom(c_, "CLIPBOARD");
    targets_ = selectiontest::atom(c_, "TARGETS");
    utf8_ = selectiontest::atom(c_, "UTF8_STRING");
    html_ = selectiontest::atom(c_, "text/html");
    property_ = selectiontest::atom(c_, "QUILLET_LATENCY");
    xfixesEvent_ = selectiontest::watchOwnerChanges(c_, window_, clipboard_);
    xcb_flush(c_);
  }

  // Takes the clipboard with `text` in bold and as plain text; answers when the engine's plain text was
  // there, or none when it did not come within the timeout.
  std::optional<Clock::duration> copy(const std::string& text, std::chrono::milliseconds timeout) {
    html_text_ = "<b>" + text + "</b>";
    plain_ = text;
    offer_ = {{html_, html_text_}, {utf8_, plain_}};
    xcb_set_selection_owner(c_, window_, clipboard_, XCB_CURRENT_TIME);
    xcb_flush(c_);
    Clock::time_point start = Clock::now(), deadline = start + timeout;
    while (auto event = selectiontest::nextEvent(c_, deadline)) {
      serve(*event);
      if (selectiontest::takenByAnother(*event, xfixesEvent_, window_) && readPlainText(deadline) == text) {
        return Clock::now() - start;
      }
    }
    return std::nullopt;
  }

 private:
  void serve(const xcb_generic_event_t& event) {
    if ((event.response_type & 0x7f) != XCB_SELECTION_REQUEST) return;
    selectiontest::answer(c_, reinterpret_cast<const xcb_selection_request_event_t&>(event), targets_, offer_);
  }

  std::optional<std::string> readPlainText(Clock::time_point deadline) {
    return selectiontest::read(c_, window_, clipboard_, utf8_, property_, XCB_CURRENT_TIME, deadline,
                               [this](const xcb_generic_event_t& event) { serve(event); });
  }

  x11test::Client c_;
  xcb_window_t window_;
  xcb_atom_t clipboard_, targets_, utf8_, html_, property_;
  uint8_t xfixesEvent_;
  std::string html_text_, plain_;
  selectiontest::Offer offer_;
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
  CopyingClient client;
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
