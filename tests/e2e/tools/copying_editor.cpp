// An editor for tests and benchmarks: a window named "copying editor" that copies rich text (HTML and plain text) at
// each Ctrl+C key press it receives, the presses that the server's key repeat makes included, as many applications
// do. It serves its copy until another client takes the clipboard, and prints "copied" at each copy. Focus it (with
// xdotool, say) before typing.
//   copying_editor [html text]
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "platform/system/xcb_reply.h"
#include "support/rich_text_sample.h"
#include "support/x11_client.h"
#include "support/x11_selection.h"

namespace {

constexpr xcb_keysym_t keysymC = 0x0063;
constexpr std::string_view title = "copying editor";

class Editor {
 public:
  explicit Editor(const std::map<std::string, std::string>& content) : content_(content) {
    xcb_screen_t* screen = c_.screen();
    window_ = xcb_generate_id(c_);
    const uint32_t events = XCB_EVENT_MASK_KEY_PRESS;
    xcb_create_window(c_, XCB_COPY_FROM_PARENT, window_, screen->root, 0, 0, 200, 100, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      screen->root_visual, XCB_CW_EVENT_MASK, &events);
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, window_, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        static_cast<uint32_t>(title.size()), title.data());
    clipboard_ = selectiontest::atom(c_, "CLIPBOARD");
    targets_ = selectiontest::atom(c_, "TARGETS");
    for (const auto& [name, data] : content_) offer_.emplace_back(selectiontest::atom(c_, name), data);
    std::unique_ptr<xcb_key_symbols_t, decltype(&xcb_key_symbols_free)> symbols(xcb_key_symbols_alloc(c_),
                                                                                xcb_key_symbols_free);
    std::unique_ptr<xcb_keycode_t, decltype(&free)> codes(xcb_key_symbols_get_keycode(symbols.get(), keysymC), free);
    keyC_ = codes && *codes != XCB_NO_SYMBOL ? *codes : 0;
    xcb_map_window(c_, window_);
    c_.roundTrip();
  }

  void run() {
    while (auto event = platform::xcbReply(xcb_wait_for_event(c_))) {
      const uint8_t type = event->response_type & 0x7f;
      if (type == XCB_KEY_PRESS) {
        const auto& key = reinterpret_cast<const xcb_key_press_event_t&>(*event);
        if (key.detail == keyC_ && (key.state & XCB_MOD_MASK_CONTROL) != 0) copy(key.time);
      } else if (type == XCB_SELECTION_REQUEST) {
        selectiontest::answer(c_, reinterpret_cast<const xcb_selection_request_event_t&>(*event), targets_, offer_);
        xcb_flush(c_);
      }
    }
  }

 private:
  void copy(xcb_timestamp_t time) {
    xcb_set_selection_owner(c_, window_, clipboard_, time);
    xcb_flush(c_);
    std::printf("copied\n");
    std::fflush(stdout);
  }

  x11test::Client c_;
  std::map<std::string, std::string> content_;
  xcb_window_t window_ = XCB_NONE;
  xcb_atom_t clipboard_ = XCB_ATOM_NONE, targets_ = XCB_ATOM_NONE;
  xcb_keycode_t keyC_ = 0;
  selectiontest::Offer offer_;
};

}  // namespace

int main(int argc, char** argv) {
  const richtext_test::RichCopy sample = richtext_test::richCopy("Copied in the editor");
  const std::string html = argc > 2 ? argv[1] : sample.html;
  const std::string text = argc > 2 ? argv[2] : sample.text;
  Editor editor({{"text/html", html}, {"UTF8_STRING", text}, {"text/plain", text}});
  editor.run();
  return 0;
}
