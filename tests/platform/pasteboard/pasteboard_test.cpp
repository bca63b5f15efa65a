#include "platform/pasteboard/pasteboard.h"

#include <gtest/gtest.h>

#include "doubles/memory_pasteboard.h"

namespace {

// The readers every pasteboard shares, over what its content offers.
TEST(PasteboardTest, TextIsSanitisedAndTheFirstWantedTypeOnOfferIsAvailable) {
  platform::MemoryPasteboard pasteboard;
  pasteboard.write({{"public.html", "<b>caf\xC3\xA9</b>"}, {"broken", "a\xFF\xC3"}, {"m", ""}});
  EXPECT_EQ(pasteboard.string("public.html"), "<b>caf\u00E9</b>");
  EXPECT_EQ(pasteboard.string("broken"), "a\uFFFD\uFFFD");
  EXPECT_EQ(pasteboard.string("m"), "");
  EXPECT_EQ(pasteboard.string("absent"), std::nullopt);

  std::string_view wanted[] = {"absent", "m", "public.html"};
  EXPECT_EQ(pasteboard.availableType(wanted), "m");  // the caller's order, not the content's
  std::string_view none[] = {"absent"};
  EXPECT_EQ(pasteboard.availableType(none), std::nullopt);
}

}  // namespace
