// The other X clients that the tests play: each holds a connection of its own, and gives it back when it goes, also
// when the test stopped half-way, so that no case inherits the clients of the one before it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>
#include <string>

#include "key_test_support.h"
#include "program_support.h"
#include "support/x11_client.h"
#include "x11_session_support.h"

namespace {

size_t ownConnections() { return programtest::xConnectionsOf(getpid()).size(); }

TEST(X11Clients, EachHelperClosesItsConnectionWhenItGoes) {
  const size_t before = ownConnections();  // the connection that asks, alone
  {
    x11test::TestWindow window(10, 10, 100, 100);
    x11test::SelectionOwner owner({.targets = {{"UTF8_STRING", "text"}}});
    KeyGrabbingClient grabs;
    EXPECT_EQ(ownConnections(), before + 3);
  }
  // The server sees a connection closed once it reads the end of its socket.
  EXPECT_TRUE(programtest::waitFor([&] { return ownConnections() == before; })) << ownConnections() << " now";
}

TEST(X11Clients, AServerThatCannotBeReachedStopsTheTestNamingItsDisplay) {
  const std::string display = std::getenv("DISPLAY");
  setenv("DISPLAY", ":64999", 1);
  try {
    x11test::Client client;
    ADD_FAILURE() << "connected to a display that does not exist";
  } catch (const std::runtime_error& error) {
    EXPECT_NE(std::string(error.what()).find("DISPLAY=:64999"), std::string::npos) << error.what();
  }
  setenv("DISPLAY", display.c_str(), 1);
}

}  // namespace
