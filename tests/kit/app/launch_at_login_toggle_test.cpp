#include "kit/app/launch_at_login_toggle.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>
#include <QTranslator>
#include <filesystem>

#include "kit/app/launch_at_login.h"
#include "support/offscreen_application.h"
#include "support/title_shown.h"

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

// A catalogue of the kit's texts with one entry, as a translation file loaded by the application would be.
class Catalogue : public QTranslator {
 public:
  QString translate(const char* context, const char* sourceText, const char*, int) const override {
    if (QByteArray(context) == Text::translationContext && QByteArray(sourceText) == "Launch at login")
      return QStringLiteral("Beim Anmelden starten");
    return {};
  }
  bool isEmpty() const override { return false; }
};

TEST(LaunchAtLoginToggleTest, ATitleIsShownAsWrittenAndAKeyIsLookedUp) {
  ensureOffscreenApplication();
  Catalogue catalogue;
  ASSERT_TRUE(QCoreApplication::installTranslator(&catalogue));
  LaunchAtLoginToggle standard;
  EXPECT_EQ(titleShown(standard), "Launch at login") << "the standard title is not looked up";
  LaunchAtLoginToggle written("Start & stay");
  EXPECT_EQ(titleShown(written), "Start & stay");
  EXPECT_FALSE(hasMnemonic(written));
  LaunchAtLoginToggle looked(LocalizedStringKey{"Launch at login"});
  EXPECT_EQ(titleShown(looked), "Beim Anmelden starten");
  QCoreApplication::removeTranslator(&catalogue);
  EXPECT_EQ(titleShown(*new LaunchAtLoginToggle(LocalizedStringKey{"Q&A"}, &looked)), "Q&A")
      << "without a translation the key itself, as written";
}

}  // namespace
}  // namespace kit
