// The clipboard keeper, which serves our last copy after the program quits: started as the program starts it, read
// back by other X clients.
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "platform/pasteboard/x11_clipboard_keeper.h"
#include "platform/system/xcb_reply.h"
#include "program_support.h"
#include "x11_session_support.h"

namespace {

using namespace std::chrono_literals;
namespace keeper = platform::clipboardkeeper;

// The server's time now: the time of a property change it reports back.
uint32_t serverTime() {
  x11test::Client c;
  xcb_screen_t* screen = c.screen();
  xcb_window_t window = xcb_generate_id(c);
  uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
  xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                    XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &events);
  xcb_change_property(c, XCB_PROP_MODE_APPEND, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 0, nullptr);
  xcb_flush(c);
  uint32_t time = XCB_CURRENT_TIME;
  while (auto event = platform::xcbReply(xcb_wait_for_event(c))) {
    if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY) continue;
    time = reinterpret_cast<xcb_property_notify_event_t*>(event.get())->time;
    break;
  }
  return time;
}

// Gone, or ended and waiting for its parent (here this test program) to collect it.
bool ended(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (!std::getline(stat, line)) return true;
  auto state = line.find(") ");
  return state == std::string::npos || line[state + 2] == 'Z';
}

TEST(ClipboardKeeper, TheContentTravelsWholeOrNotAtAll) {
  const std::vector<platform::PasteboardEntry> targets{{"text/plain", "plain"}, {"text/html", std::string("\0<b>", 4)}};
  auto decoded = keeper::decode(keeper::encode(targets));
  ASSERT_EQ(decoded.size(), 2u);
  EXPECT_EQ(decoded[1].type, "text/html");
  EXPECT_EQ(decoded[1].data, std::string("\0<b>", 4));
  const std::string encoded = keeper::encode(targets);
  for (size_t cut : {size_t{1}, size_t{9}, encoded.size() - 1})
    EXPECT_TRUE(keeper::decode(encoded.substr(0, cut)).empty());
}

TEST(ClipboardKeeper, ServesTheCopyWholeUntilAnotherClientCopies) {
  const std::string large(3 << 20, 'L');  // more than one request carries: sent in parts
  int pipeEnds[2];
  ASSERT_EQ(pipe(pipeEnds), 0);  // inherited by children, as a descriptor the program was started with would be
  ASSERT_TRUE(keeper::start({{"text/plain", "kept text"}, {"text/html", large}}, serverTime()));
  ASSERT_TRUE(programtest::waitFor([] { return programtest::clipboardOwnerPid() > 0; }));
  const pid_t server = programtest::clipboardOwnerPid();
  close(pipeEnds[1]);
  pollfd end{pipeEnds[0], POLLIN, 0};
  char byte;
  EXPECT_TRUE(poll(&end, 1, 2000) == 1 && read(pipeEnds[0], &byte, 1) == 0)
      << "the keeper holds none of the program's descriptors";
  close(pipeEnds[0]);
  EXPECT_EQ(x11test::readClipboard("UTF8_STRING"), "kept text");
  EXPECT_EQ(x11test::readClipboard("text/plain"), "kept text");
  EXPECT_EQ(x11test::readClipboard("text/html"), large);

  x11test::SelectionOwner newer({.targets = {{"UTF8_STRING", "newer"}}});
  EXPECT_TRUE(programtest::waitFor([&] { return ended(server); }));
  EXPECT_EQ(x11test::readClipboard("UTF8_STRING"), "newer");
}

TEST(ClipboardKeeper, NeverTakesBackACopyMadeAfterOurs) {
  const uint32_t ours = serverTime();
  std::this_thread::sleep_for(5ms);
  x11test::SelectionOwner newer({.targets = {{"UTF8_STRING", "newer"}}});
  ASSERT_EQ(x11test::clipboardOwner(), newer.window());
  ASSERT_TRUE(keeper::start({{"text/plain", "older"}}, ours));
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(x11test::clipboardOwner(), newer.window());
  EXPECT_EQ(x11test::readClipboard("UTF8_STRING"), "newer");
}

}  // namespace
