#include "kit/ui/session_restoration.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QWidget>
#include <memory>

namespace kit {
namespace {

std::unique_ptr<QWidget> shownWindow(const QString& name) {
  auto window = std::make_unique<QWidget>();
  window->setObjectName(name);
  window->show();
  return window;
}

TEST(SessionRestorationTest, RestorableWindowsOpenWhenTheSessionIsSavedOpenAgainWhenItIsRestored) {
  SessionRestoration& restoration = SessionRestoration::shared();
  std::map<QString, int> reopened;
  for (const QString name : {"settings", "about", "debug", "editor"})
    restoration.registerWindow(name, [&reopened, name] { ++reopened[name]; });

  auto settings = shownWindow("settings");
  auto about = shownWindow("about");
  setWindowIsRestorable(*about, false);
  QWidget debug;  // registered, but not open
  debug.setObjectName("debug");
  auto unknown = shownWindow("unknown");  // open, but nothing knows how to open it again
  auto editor = shownWindow("editor");
  ASSERT_TRUE(restoration.save("10d4e5f", "1_2"));
  QStringList saved = restoration.savedWindows("10d4e5f", "1_2");
  saved.sort();
  EXPECT_EQ(saved, (QStringList{"editor", "settings"}));

  // Another session, saved with nothing open, restores nothing.
  settings->close();
  editor->close();
  ASSERT_TRUE(restoration.save("other", "1"));
  restoration.restore("other", "1");
  QTest::qWait(10);
  EXPECT_TRUE(reopened.empty());

  // The program starts again for the first session, before one of the windows is known to it.
  restoration.registerWindow("editor", {});  // forgotten
  restoration.restore("10d4e5f", "1_2");
  EXPECT_TRUE(reopened.empty()) << "from the next turn of the event loop";
  EXPECT_TRUE(QTest::qWaitFor([&] { return reopened["settings"] == 1; }));
  int editorReopened = 0;
  restoration.registerWindow("editor", [&] { ++editorReopened; });
  EXPECT_TRUE(QTest::qWaitFor([&] { return editorReopened == 1; }));
  EXPECT_EQ(reopened.count("about"), 0u);
  EXPECT_EQ(reopened.count("debug"), 0u);

  // A session id from the session manager never makes a path of its own.
  EXPECT_EQ(SessionRestoration::stateFile("../../x", "k/y").filename(), ".._.._x_k_y");
}

}  // namespace
}  // namespace kit
