#include "app/command_line.h"

#include <gtest/gtest.h>

namespace {

using app::Command;

TEST(CommandLineTest, ArgumentsChooseOneCommand) {
  EXPECT_EQ(app::commandFor({}), Command::runApplication);
  EXPECT_EQ(app::commandFor({"--autostart"}), Command::runApplication);
  EXPECT_EQ(app::commandFor({"--relaunch"}), Command::runApplication);
  EXPECT_EQ(app::commandFor({"-session", "10d4e5f_1_2"}), Command::runApplication);
  EXPECT_EQ(app::commandFor({"-session"}), Command::unknown);
  EXPECT_EQ(app::commandFor({"clear-clipboard-formatting"}), Command::clearClipboardFormatting);
  EXPECT_EQ(app::commandFor({"clear-clipboard-formatting", "now"}), Command::unknown);
  EXPECT_EQ(app::commandFor({"remove-tracking-parameters", "https://example.com"}), Command::removeTrackingParameters);
  EXPECT_EQ(app::commandFor({"remove-tracking-parameters", "--help"}), Command::help);
  EXPECT_EQ(app::commandFor({"--version"}), Command::unknown);
  EXPECT_EQ(app::commandFor({"clear"}), Command::unknown);
}

}  // namespace
