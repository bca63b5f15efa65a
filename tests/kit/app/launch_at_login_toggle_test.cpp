#include "kit/app/launch_at_login_toggle.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>
#include <filesystem>

#include "kit/app/launch_at_login.h"
#include "support/offscreen_application.h"

namespace kit {
namespace {

TEST(LaunchAtLoginToggleTest, AnyWidgetCanBeTheLabelAndClickingItSwitchesTheLoginEntry) {
  ensureOffscreenApplication();
  const std::filesystem::path entry = LaunchAtLogin::shared().entry().path();
  QLabel* made = nullptr;
  LabeledLaunchAtLoginToggle row([&] { return made = new QLabel("Start <b>Quillet</b> when you log in"); });
  ASSERT_EQ(row.label(), made);
  EXPECT_TRUE(row.toggle().text().isEmpty());
  row.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&row));
  EXPECT_FALSE(row.toggle().isChecked());

  QTest::mouseClick(made, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
  EXPECT_TRUE(std::filesystem::exists(entry));
  EXPECT_TRUE(row.toggle().isChecked());

  QTest::mouseClick(&row.toggle(), Qt::LeftButton, Qt::NoModifier, row.toggle().rect().center());
  EXPECT_FALSE(std::filesystem::exists(entry));
  EXPECT_FALSE(row.toggle().isChecked());
}

}  // namespace
}  // namespace kit
