#include "kit/ui/widget_introspection.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QSlider>
#include <QTableView>

#include "kit/ui/no_inset_hosting_view.h"

// A wrapper of one bridged widget, and a class whose name holds the host text only in another case.
class MarkerViewHost : public QWidget {
  Q_OBJECT
 public:
  explicit MarkerViewHost(QWidget* parent) : QWidget(parent) {}
};
class Markerviewhost : public QWidget {
  Q_OBJECT
 public:
  explicit Markerviewhost(QWidget* parent) : QWidget(parent) {}
};

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

TEST(WidgetIntrospectionTest, SelectorsLookBesideTheViewHostAndAroundTheMarkerByTheRuleOfEachType) {
  QTableView enclosingTable;
  auto* enclosingScroll = new QScrollArea(&enclosingTable);
  auto* row = new QWidget(enclosingScroll);
  auto* a = new QWidget(row);
  auto* tableInA = new QTableView(a);
  auto* codeInA = new QPlainTextEdit(a);
  auto* b = new QWidget(row);
  auto* sliderInB = new QSlider(b);
  new QScrollArea(b);
  auto* bareScroll = new QScrollArea(row);
  auto* host = new MarkerViewHost(row);
  auto* marker = new QWidget(host);
  new QSlider(a);

  namespace Select = TargetViewSelector;
  EXPECT_EQ(enclosingViewHost(*marker), host);
  EXPECT_EQ(Select::forType<QSlider>(*marker), sliderInB) << "inside the nearest earlier sibling";
  EXPECT_EQ(Select::hostSiblingOfType<QSlider>(*marker), nullptr) << "no sibling is a slider itself";
  EXPECT_EQ(Select::hostSiblingContaining<QTableView>(*marker), tableInA);
  EXPECT_EQ(Select::forType<QTableView>(*marker), &enclosingTable) << "an enclosing table comes first";
  EXPECT_EQ(Select::forType<QScrollArea>(*marker), bareScroll) << "the sibling that is a scroll area comes first";
  delete bareScroll;
  EXPECT_EQ(Select::forType<QScrollArea>(*marker), enclosingScroll) << "one inside a sibling does not count";
  EXPECT_EQ(Select::textView(*marker), codeInA);
  EXPECT_EQ(Select::hostSiblingContainingOrAncestor<QTableView>(*marker), tableInA);
  EXPECT_EQ(Select::ancestorOrHostSiblingOfType<QScrollArea>(*marker), enclosingScroll);
  EXPECT_EQ(Select::ancestorOrHostSiblingOfType<QSlider>(*marker), nullptr);

  // Without a view host the rules that start there find nothing, and the others go on to their second search.
  QWidget lone;
  auto* enclosingCode = new QPlainTextEdit(&lone);
  new QSlider(new QWidget(enclosingCode));
  auto* notAHost = new Markerviewhost(enclosingCode);
  auto* loneMarker = new QWidget(notAHost);
  EXPECT_EQ(enclosingViewHost(*loneMarker), nullptr) << "the case counts";
  EXPECT_EQ(Select::forType<QSlider>(*loneMarker), nullptr);
  EXPECT_EQ(Select::textView(*loneMarker), enclosingCode);
  EXPECT_EQ(Select::hostSiblingOfTypeOrAncestor<QPlainTextEdit>(*loneMarker), enclosingCode);

  // A dialog keeps to itself: the text view of the window it belongs to is neither around nor under its marker.
  auto* dialog = new QWidget(&lone, Qt::Dialog);
  auto* dialogMarker = new QWidget(new QLabel(dialog));
  EXPECT_EQ(Select::textView(*dialogMarker), nullptr);
  EXPECT_EQ(firstDescendant<QLabel>(lone), nullptr);
}

}  // namespace
}  // namespace kit

#include "widget_introspection_test.moc"
