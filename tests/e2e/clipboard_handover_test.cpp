#include <gtest/gtest.h>
#include <poll.h>
#include <xcb/xcb.h>

#include <QGuiApplication>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/pasteboard/pasteboard.h"
#include "platform/pasteboard/x11_selection_answer.h"
#include "platform/system/xcb_reply.h"
#include "support/x11_client.h"
#include "support/x11_selection.h"

namespace {

// A clipboard manager: asked to save the clipboard, it fetches the text from the owner that is quitting.
class ClipboardManager {
 public:
  ClipboardManager() {
    window_ = selectiontest::createSelectionWindow(c_);
    xcb_set_selection_owner(c_, window_, selectiontest::atom(c_, "CLIPBOARD_MANAGER"), XCB_CURRENT_TIME);
    c_.roundTrip();
    thread_ = std::thread([this] { serve(); });
  }
  ~ClipboardManager() {
    stop_ = true;
    thread_.join();
  }
  std::string savedText() const { return saved_; }
  bool askedToSave() const { return asked_; }

 private:
  void serve() {
    xcb_atom_t saveTargets = selectiontest::atom(c_, "SAVE_TARGETS"), clipboard = selectiontest::atom(c_, "CLIPBOARD"),
               utf8 = selectiontest::atom(c_, "UTF8_STRING"), property = selectiontest::atom(c_, "QUILLET_TEST_SAVED");
    while (!stop_) {
      pollfd p{xcb_get_file_descriptor(c_), POLLIN, 0};
      poll(&p, 1, 20);
      while (auto event = platform::xcbReply(xcb_poll_for_event(c_))) {
        if ((event->response_type & 0x7f) != XCB_SELECTION_REQUEST) continue;
        const auto request = *reinterpret_cast<xcb_selection_request_event_t*>(event.get());
        if (request.target != saveTargets) continue;
        asked_ = true;
        auto saved = selectiontest::read(c_, window_, clipboard, utf8, property, XCB_CURRENT_TIME,
                                         selectiontest::Clock::now() + std::chrono::seconds(10));
        if (saved) saved_ = *saved;
        platform::answerSelectionRequest(c_, request, true);
      }
    }
  }

  x11test::Client c_;
  xcb_window_t window_;
  std::thread thread_;
  std::atomic<bool> stop_{false}, asked_{false};
  std::string saved_;
};

TEST(ClipboardHandover, WhatWeWroteGoesToTheClipboardManagerWhenTheApplicationQuits) {
  ClipboardManager manager;
  int argc = 1;
  char name[] = "quillet-e2e";
  char* argv[] = {name, nullptr};
  qputenv("QT_QPA_PLATFORM", "xcb");
  auto* app = new QGuiApplication(argc, argv);
  ASSERT_TRUE(platform::generalPasteboard().write({{platform::PasteboardType::string, "kept after quitting"}}));
  QCoreApplication::processEvents();
  delete app;
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_TRUE(manager.askedToSave());
  EXPECT_EQ(manager.savedText(), "kept after quitting");
}

}  // namespace
