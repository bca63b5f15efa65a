#include "kit/ui/widget_introspection.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollArea>

namespace kit {
namespace {

TEST(WidgetIntrospectionTest, FindsPartsDepthFirstAncestorsOutwardAndSwitchesSubstitutionsOff) {
  QWidget root;
  auto* first = new QWidget(&root);
  auto* deep = new QLabel("deep", new QWidget(first));
  auto* later = new QLabel("later", &root);
  auto* scroll = new QScrollArea(&root);
  auto* inside = new QWidget(scroll);

  EXPECT_EQ(firstDescendant<QLabel>(root), deep);       // below the first child before the next child
  EXPECT_EQ(firstDescendant<QLabel>(*later), nullptr);  // the root itself does not count
  EXPECT_EQ(nearestAncestor<QScrollArea>(*inside), scroll);
  EXPECT_EQ(nearestAncestor<QScrollArea>(*scroll), nullptr);
  EXPECT_EQ(findWidget<QLabel>(*later), later);
  EXPECT_EQ(findWidget<QScrollArea>(*inside), scroll);
  const std::vector<QWidget*> chain{deep, deep->parentWidget(), first, &root};
  EXPECT_EQ(responderChain(*deep), chain);

  auto* code = new QPlainTextEdit;
  QWidget field;
  code->setParent(&field);
  EXPECT_TRUE(disableTextSubstitutions(field));
  EXPECT_TRUE(code->inputMethodHints().testFlag(Qt::ImhNoPredictiveText));
  EXPECT_TRUE(code->inputMethodHints().testFlag(Qt::ImhNoAutoUppercase));
  EXPECT_FALSE(disableTextSubstitutions(*later));
}

}  // namespace
}  // namespace kit
