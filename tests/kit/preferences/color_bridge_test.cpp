#include "kit/preferences/color_bridge.h"

#include <gtest/gtest.h>

#include "kit/preferences/key.h"
#include "support/preference_files.h"

using namespace kit::Preferences;

namespace {

TEST(ColorBridge, ColoursReadBackEqualAndOtherDataReadsAsNoneWithOneLine) {
  prefs_test::TemporaryConfigHome home;
  auto suite = UserDefaults::named(prefs_test::uniqueSuiteName());
  Key<QColor> tint("tint", QColor(Qt::gray), *suite);
  for (QColor color :
       {QColor(255, 0, 0, 128), QColor::fromHsvF(0.3f, 0.5f, 0.25f), QColor::fromRgbF(0.1f, 0.2f, 0.3f)}) {
    set(tint, color);
    EXPECT_TRUE(suite->object("tint")->get<Data>());
    EXPECT_EQ(get(tint), color);
  }

  for (std::string junk : {std::string("not an archive"), std::string()}) {
    suite->set("tint", Data{junk});
    testing::internal::CaptureStdout();
    EXPECT_EQ(get(tint), QColor(Qt::gray));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "The data couldn\u2019t be read because it isn\u2019t in the correct format.\n");
  }
}

}  // namespace
