#include <gtest/gtest.h>

#include "platform/system/workspace.h"
#include "support/xdg_folders.h"

namespace {

TEST(DefaultApplication, TheSchemeHandlerIsTheFirstInstalledOneInXdgOrder) {
  TemporaryXdgFolders xdg;
  xdg.write("system/applications/mail-a.desktop", applicationEntry("Mail A"));
  xdg.write("system/applications/mail-b.desktop", applicationEntry("Mail B"));
  xdg.write("system/applications/mimeapps.list", "[Default Applications]\nx-scheme-handler/mailto=mail-a.desktop\n");
  EXPECT_EQ(platform::defaultApplicationId("mailto"), "mail-a");
  xdg.write("config/mimeapps.list",
            "[Added Associations]\nx-scheme-handler/mailto=mail-a.desktop\n"
            "[Default Applications]\nx-scheme-handler/mailto=missing.desktop;mail-b.desktop;\n");
  EXPECT_EQ(platform::defaultApplicationId("mailto"), "mail-b");
  EXPECT_EQ(platform::defaultApplicationId("gopher"), std::nullopt);
}

}  // namespace
