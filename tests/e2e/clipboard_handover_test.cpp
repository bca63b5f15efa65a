#include <gtest/gtest.h>
#include <poll.h>
#include <xcb/xcb.h>

#include <QGuiApplication>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "platform/pasteboard/pasteboard.h"
#include "platform/pasteboard/x11_selection_answer.h"
#include "platform/system/xcb_reply.h"

namespace {

xcb_atom_t intern(xcb_connection_t* c, const char* name) {
  auto r = platform::xcbReply(
      xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(strlen(name)), name), nullptr));
  return r ? r->atom : xcb_atom_t{XCB_ATOM_NONE};
}

// A clipboard manager: asked to save the clipboard, it fetches the text from the owner that is quitting.
class ClipboardManager {
 public:
  ClipboardManager() {
    c_ = xcb_connect(nullptr, nullptr);
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c_)).data;
    window_ = xcb_generate_id(c_);
    xcb_create_window(c_, XCB_COPY_FROM_PARENT, window_, screen->root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      screen->root_visual, 0, nullptr);
    xcb_set_selection_owner(c_, window_, intern(c_, "CLIPBOARD_MANAGER"), XCB_CURRENT_TIME);
    platform::xcbReply(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr));
    thread_ = std::thread([this] { serve(); });
  }
  ~ClipboardManager() {
    stop_ = true;
    thread_.join();
    xcb_disconnect(c_);
  }
  std::string savedText() const { return saved_; }
  bool askedToSave() const { return asked_; }

 private:
  void serve() {
    xcb_atom_t saveTargets = intern(c_, "SAVE_TARGETS"), clipboard = intern(c_, "CLIPBOARD"),
               utf8 = intern(c_, "UTF8_STRING"), property = intern(c_, "QUILLET_TEST_SAVED");
    xcb_selection_request_event_t pending{};
    while (!stop_) {
      pollfd p{xcb_get_file_descriptor(c_), POLLIN, 0};
      poll(&p, 1, 20);
      while (auto event = platform::xcbReply(xcb_poll_for_event(c_))) {
        uint8_t type = event->response_type & 0x7f;
        if (type == XCB_SELECTION_REQUEST) {
          pending = *reinterpret_cast<xcb_selection_request_event_t*>(event.get());
          if (pending.target == saveTargets) {
            asked_ = true;
            xcb_convert_selection(c_, window_, clipboard, utf8, property, XCB_CURRENT_TIME);
            xcb_flush(c_);
          }
        } else if (type == XCB_SELECTION_NOTIFY) {
          auto reply = platform::xcbReply(xcb_get_property_reply(
              c_, xcb_get_property(c_, 1, window_, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1 << 16), nullptr));
          if (reply) {
            saved_.assign(static_cast<const char*>(xcb_get_property_value(reply.get())),
                          static_cast<size_t>(xcb_get_property_value_length(reply.get())));
          }
          platform::answerSelectionRequest(c_, pending, true);
        }
      }
    }
  }

  xcb_connection_t* c_;
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
