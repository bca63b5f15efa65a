#include "kit/shortcuts/labeled_recorder.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QTest>
#include <QVBoxLayout>
#include <memory>
#include <vector>

#include "kit/shortcuts/storage.h"

namespace {

using kit::GlobalShortcuts::LabeledRecorder;
using kit::GlobalShortcuts::Name;
using kit::GlobalShortcuts::Shortcut;

Name uniqueName() {
  static int counter = 0;
  return Name("labeledRecorder" + std::to_string(++counter));
}

// Shows the row in a window and records Ctrl+Shift+Space with its field.
void showAndRecord(LabeledRecorder& row) {
  row.resize(400, row.sizeHint().height());
  row.show();
  QApplication::setActiveWindow(&row);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&row));
  QTest::mouseClick(&row.recorder(), Qt::LeftButton);
  ASSERT_TRUE(row.recorder().isRecording());
  QTest::keyClick(&row.recorder(), Qt::Key_Space, Qt::ControlModifier | Qt::ShiftModifier);
}

TEST(LabeledRecorder, ATitleStandsAsPlainTextLeftOfTheFieldWhichRecordsForItsName) {
  Name name = uniqueName();
  std::vector<std::optional<Shortcut>> changes;
  LabeledRecorder row("<b>Copy</b> & clear", name, [&](const std::optional<Shortcut>& s) { changes.push_back(s); });
  auto* title = qobject_cast<QLabel*>(row.label());
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(title->parentWidget(), &row);
  EXPECT_EQ(title->text(), "<b>Copy</b> & clear");
  EXPECT_EQ(title->textFormat(), Qt::PlainText);
  EXPECT_EQ(row.recorder().accessibleName(), "<b>Copy</b> & clear");

  showAndRecord(row);
  EXPECT_LT(title->geometry().right(), row.recorder().geometry().left());
  EXPECT_EQ(name.shortcut(), (Shortcut{49, 768}));
  EXPECT_EQ(changes, (std::vector<std::optional<Shortcut>>{Shortcut{49, 768}}));
}

TEST(LabeledRecorder, AnyWidgetOfTheCallersCanBeTheLabel) {
  Name name = uniqueName();
  QCheckBox* made = nullptr;
  LabeledRecorder row(name, {}, [&] {
    made = new QCheckBox("Toggle");
    made->setAccessibleName("Toggle clearing");
    return made;
  });
  ASSERT_EQ(row.label(), made);
  EXPECT_EQ(made->parentWidget(), &row);
  EXPECT_EQ(row.recorder().accessibleName(), "Toggle clearing");
  EXPECT_EQ(row.recorder().shortcutName(), name);

  showAndRecord(row);
  EXPECT_LT(made->geometry().right(), row.recorder().geometry().left());
  EXPECT_EQ(name.shortcut(), (Shortcut{49, 768}));
}

TEST(LabeledRecorder, AWidgetLabelWithoutAnAccessibleNameNamesTheFieldByTheTextItShows) {
  LabeledRecorder styled(uniqueName(), {}, [] { return new QLabel("<b>Copy</b> and clear"); });
  EXPECT_EQ(styled.recorder().accessibleName(), "Copy and clear");
  LabeledRecorder button(uniqueName(), {}, [] { return new QCheckBox("&Toggle clearing"); });
  EXPECT_EQ(button.recorder().accessibleName(), "Toggle clearing");
}

}  // namespace
