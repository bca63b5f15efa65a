#include "kit/ui/widget_introspection.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollArea>

#include "kit/ui/no_inset_hosting_view.h"

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

TEST(WidgetIntrospectionTest, SiblingSearchesLookBackwardNearestFirstAndForwardFromTheEntry) {
  QWidget parent;
  auto* a = new QWidget(&parent);
  auto* labelInA = new QLabel(a);
  auto* b = new QWidget(&parent);
  auto* labelInB = new QLabel(b);
  auto* bare = new QLabel(&parent);  // a label itself, with no label inside
  auto* entry = new QWidget(&parent);
  auto* after = new QLabel(&parent);

  EXPECT_EQ(precedingSiblingContaining<QLabel>(*entry), labelInB) << "the nearest earlier sibling first";
  EXPECT_EQ(precedingSiblingOfType<QLabel>(*entry), bare);
  EXPECT_EQ(precedingSiblingContaining<QLabel>(*a), nullptr) << "the first child has no earlier sibling";
  EXPECT_EQ(followingSiblingOfType<QLabel>(*bare), bare) << "the entry itself counts";
  EXPECT_EQ(followingSiblingOfType<QLabel>(*entry), after);
  EXPECT_EQ(followingSiblingContaining<QLabel>(*a), labelInA) << "what lies in the entry comes first";
  EXPECT_EQ(followingSiblingContaining<QLabel>(*entry), nullptr);
  QWidget orphan;
  EXPECT_EQ(precedingSiblingOfType<QLabel>(orphan), nullptr);
  EXPECT_EQ(ancestorWithClassNameContaining(*labelInA, "QWid"), a);
  EXPECT_EQ(ancestorWithClassNameContaining(*labelInA, "qwidget"), nullptr) << "the case counts";

  auto* content = new QWidget;
  auto* field = new QLabel(content);
  NoInsetHostingView host(content);
  EXPECT_EQ(enclosingHostingView(*field), &host);
  EXPECT_EQ(enclosingHostingView(*labelInA), nullptr);
}

TEST(WidgetIntrospectionTest, TheDescendantUnderTheEntryIsChosenByItsCentreWhenThereAreSeveral) {
  QWidget root;
  root.resize(300, 100);
  auto* left = new QLabel(new QWidget(&root));
  left->parentWidget()->setGeometry(0, 0, 100, 100);
  left->setGeometry(0, 0, 100, 100);
  auto* right = new QLabel(&root);
  right->setGeometry(200, 0, 100, 100);
  auto* entry = new QWidget(&root);

  entry->setGeometry(240, 40, 20, 20);
  EXPECT_EQ(descendantUnderEntry<QLabel>(root, *entry), right);
  entry->setGeometry(30, 30, 20, 20);
  EXPECT_EQ(descendantUnderEntry<QLabel>(root, *entry), left);
  entry->setGeometry(140, 40, 20, 20);
  EXPECT_EQ(descendantUnderEntry<QLabel>(root, *entry), nullptr) << "between the two";
  delete right;
  EXPECT_EQ(descendantUnderEntry<QLabel>(root, *entry), left) << "one candidate, wherever it lies";

  // Going up: an enclosing T wins at each level over one under the entry.
  QScrollArea outer;
  auto* holder = new QWidget(&outer);
  auto* marker = new QWidget(holder);
  auto* label = new QLabel(holder);
  EXPECT_EQ(ancestorOrAncestorDescendant<QLabel>(*marker), label);
  EXPECT_EQ(ancestorOrAncestorDescendant<QScrollArea>(*marker), &outer);
  EXPECT_EQ(ancestorOrAncestorDescendant<QPlainTextEdit>(*marker), nullptr);
}

}  // namespace
}  // namespace kit
