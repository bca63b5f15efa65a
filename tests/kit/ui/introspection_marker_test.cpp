#include "kit/ui/introspection_marker.h"

#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QTest>
#include <QVBoxLayout>

#include "kit/ui/labels.h"

namespace kit {
namespace {

struct Editor {
  Editor() {
    (new QVBoxLayout(&window))->addWidget(code);
    window.resize(200, 120);
  }
  QWidget window;
  QPlainTextEdit* code = new QPlainTextEdit(&window);
};

TEST(IntrospectionMarkerTest, CustomisesWhatItFindsOneTurnAfterEachUpdateAndLetsClicksThrough) {
  Editor twin, marked;
  QWidget& editor = marked.window;
  QPlainTextEdit* code = marked.code;

  int customised = 0;
  IntrospectionMarker* marker = accessWidget<QPlainTextEdit>(*code->viewport(), [&](QPlainTextEdit& found) {
    EXPECT_EQ(&found, code);
    found.setTabChangesFocus(true);
    ++customised;
  });
  EXPECT_EQ(marker->accessibleName(), "IntrospectionMarker<QPlainTextEdit>");
  EXPECT_EQ(customised, 0) << "not while it is made";
  EXPECT_TRUE(QTest::qWaitFor([&] { return customised == 1; }));
  EXPECT_TRUE(code->tabChangesFocus());

  editor.show();
  twin.window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&twin.window));
  marker->contentDidUpdate();
  EXPECT_TRUE(QTest::qWaitFor([&] { return customised == 3; })) << "shown, then updated";
  EXPECT_FALSE(marker->isVisible());
  EXPECT_TRUE(marker->size().isEmpty());
  EXPECT_TRUE(marker->testAttribute(Qt::WA_TransparentForMouseEvents));
  EXPECT_EQ(code->size(), twin.code->size()) << "the marker takes no room";

  // Nothing to find: nothing happens.
  int never = 0;
  QWidget plain;
  accessWidget<QPlainTextEdit>(plain, [&](QPlainTextEdit&) { ++never; });
  // A type of ours goes by its own name, without its namespace.
  EXPECT_EQ(accessWidget<CocoaLabel>(plain, [&](CocoaLabel&) { ++never; })->accessibleName(),
            "IntrospectionMarker<CocoaLabel>");
  QTest::qWait(20);
  EXPECT_EQ(never, 0);
}

}  // namespace
}  // namespace kit
