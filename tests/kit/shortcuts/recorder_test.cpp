#include "kit/shortcuts/recorder.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QStackedWidget>
#include <QTest>
#include <QVBoxLayout>
#include <memory>
#include <vector>

#include "kit/foundation/alert.h"
#include "kit/shortcuts/handlers.h"
#include "kit/shortcuts/menu_item_shortcut.h"
#include "kit/shortcuts/storage.h"
#include "platform/prefs/user_defaults.h"
#include "support/recording_alert_presenter.h"

namespace {

using kit::GlobalShortcuts::Name;
using kit::GlobalShortcuts::Recorder;
using kit::GlobalShortcuts::Shortcut;
namespace gs = kit::GlobalShortcuts;

class RecorderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    kit::setAlertPresenter(&presenter);
    static int counter = 0;
    name = std::make_unique<Name>("recorder" + std::to_string(++counter));
    window = std::make_unique<QWidget>();
    auto* layout = new QVBoxLayout(window.get());
    recorder = new Recorder(*name, [this](const std::optional<Shortcut>& s) { changes.push_back(s); });
    other = new QLineEdit();
    layout->addWidget(recorder);
    layout->addWidget(other);
    window->show();
    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  }
  void TearDown() override {
    window.reset();
    Recorder::setApplicationMenu({});
    kit::setAlertPresenter(nullptr);
  }

  void startRecording() {
    QTest::mouseClick(recorder, Qt::LeftButton);
    ASSERT_TRUE(recorder->isRecording());
  }
  std::optional<platform::PlistValue> stored() const {
    return platform::UserDefaults::standard().object(gs::preferenceKey(*name));
  }
  QAction* clearButton() const { return recorder->actions().first(); }
  QWidget* clearButtonWidget() const {
    for (QWidget* child : recorder->findChildren<QWidget*>()) {
      if (child->isVisible()) return child;
    }
    return nullptr;
  }
  // Whether the field draws its placeholder: it looks different without one.
  bool drawsPlaceholder() {
    const QImage shown = recorder->grab().toImage();
    const QString placeholder = recorder->placeholderText();
    recorder->setPlaceholderText({});
    const QImage without = recorder->grab().toImage();
    recorder->setPlaceholderText(placeholder);
    return shown != without;
  }

  RecordingAlertPresenter presenter;
  std::unique_ptr<Name> name;
  std::unique_ptr<QWidget> window;
  Recorder* recorder = nullptr;
  QLineEdit* other = nullptr;
  std::vector<std::optional<Shortcut>> changes;
};

TEST_F(RecorderTest, RecordsTheNextAcceptableCombination) {
  EXPECT_EQ(recorder->placeholderText(), "Record Shortcut");
  EXPECT_GE(recorder->sizeHint().width(), 130);
  EXPECT_FALSE(clearButton()->isVisible());
  startRecording();
  EXPECT_EQ(recorder->placeholderText(), "Press Shortcut");
  EXPECT_TRUE(gs::isRecording());

  QTest::keyPress(recorder, Qt::Key_Control, Qt::ControlModifier);  // a modifier alone records nothing yet
  EXPECT_TRUE(recorder->isRecording());
  QTest::keyClick(recorder, Qt::Key_Space, Qt::ControlModifier | Qt::ShiftModifier);

  EXPECT_EQ(stored(), platform::PlistValue(R"({"carbonKeyCode":49,"carbonModifiers":768})"));
  EXPECT_EQ(recorder->text(), "Ctrl+Shift+Space");
  EXPECT_EQ(changes, (std::vector<std::optional<Shortcut>>{Shortcut{49, 768}}));
  EXPECT_FALSE(recorder->isRecording());
  EXPECT_FALSE(gs::isRecording());
  EXPECT_FALSE(recorder->hasFocus());
  EXPECT_EQ(recorder->placeholderText(), "Record Shortcut");
  EXPECT_TRUE(clearButton()->isVisible());
}

TEST_F(RecorderTest, ACallerCanEndRecording) {
  startRecording();
  recorder->endRecording();
  EXPECT_FALSE(gs::isRecording());
  EXPECT_EQ(recorder->placeholderText(), "Record Shortcut");
  QTest::keyClick(recorder, Qt::Key_Space, Qt::ControlModifier);
  EXPECT_FALSE(stored()) << "keys are no longer recorded";
  EXPECT_TRUE(changes.empty());
}

TEST_F(RecorderTest, AnEmptyFieldSaysWhatItWaitsForOnScreen) {
  EXPECT_TRUE(drawsPlaceholder());
  startRecording();
  ASSERT_TRUE(recorder->hasFocus());
  EXPECT_TRUE(drawsPlaceholder()) << "focused and centred, the field still shows \"Press Shortcut\"";
  QTest::keyClick(recorder, Qt::Key_Space, Qt::ControlModifier);
  startRecording();
  EXPECT_FALSE(drawsPlaceholder()) << "a stored shortcut is shown instead";
}

TEST_F(RecorderTest, KeysWithoutModifiersOnlyWhenTheyAreFunctionKeys) {
  startRecording();
  QTest::keyClick(recorder, Qt::Key_A);
  QTest::keyClick(recorder, Qt::Key_A, Qt::ShiftModifier);
  QTest::keyClick(recorder, Qt::Key_Return);
  EXPECT_FALSE(stored());
  EXPECT_TRUE(recorder->isRecording()) << "a refused key keeps recording";

  QTest::keyClick(recorder, Qt::Key_F5);
  EXPECT_EQ(name->shortcut(), (Shortcut{96, 0}));
  startRecording();
  QTest::keyClick(recorder, Qt::Key_F5, Qt::ShiftModifier);
  EXPECT_EQ(name->shortcut(), (Shortcut{96, 512}));
  EXPECT_EQ(recorder->text(), "Shift+F5");
}

TEST_F(RecorderTest, EscapeTabAndDelete) {
  gs::saveShortcut({49, 256}, *name);
  startRecording();
  QTest::keyClick(recorder, Qt::Key_Escape);
  EXPECT_FALSE(recorder->isRecording());
  EXPECT_EQ(name->shortcut(), (Shortcut{49, 256}));

  startRecording();
  QTest::keyClick(recorder, Qt::Key_Tab);
  EXPECT_FALSE(recorder->isRecording());
  EXPECT_TRUE(other->hasFocus()) << "Tab moves the focus on";

  startRecording();
  QTest::keyClick(recorder, Qt::Key_Backspace);
  EXPECT_FALSE(stored());
  EXPECT_EQ(changes, (std::vector<std::optional<Shortcut>>{std::nullopt}));
  EXPECT_TRUE(recorder->isRecording()) << "clearing starts recording again";
  EXPECT_TRUE(recorder->text().isEmpty());
  EXPECT_FALSE(clearButton()->isVisible());
  QTest::keyClick(recorder, Qt::Key_Delete);
  EXPECT_EQ(changes.size(), 1u) << "an empty field has nothing to clear";
  EXPECT_TRUE(recorder->isRecording());
}

TEST_F(RecorderTest, ClearButtonRemovesTheShortcut) {
  gs::saveShortcut({122, 2048}, *name);
  EXPECT_EQ(recorder->text(), "Alt+F1") << "follows the stored value";
  ASSERT_TRUE(clearButton()->isVisible());
  clearButton()->trigger();
  EXPECT_FALSE(stored());
  EXPECT_EQ(changes, (std::vector<std::optional<Shortcut>>{std::nullopt}));
  EXPECT_TRUE(recorder->isRecording());
}

TEST_F(RecorderTest, CombinationOfOurMenuIsRefusedWithTheItemTitle) {
  QMenu menu;
  QMenu* submenu = menu.addMenu("More");
  submenu->addAction("Paste &Plain")->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Space));
  menu.addAction("Quit")->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Space));
  submenu->addAction("Q&&A")->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Space));
  Recorder::setApplicationMenu([&menu] { return &menu; });

  startRecording();
  QTest::keyClick(recorder, Qt::Key_Space, Qt::ControlModifier | Qt::ShiftModifier);
  ASSERT_EQ(presenter.alerts.size(), 1u);
  EXPECT_EQ(presenter.alerts[0].messageText,
            "This keyboard shortcut cannot be used as it's already used by the \u201CPaste Plain\u201D menu item.");
  EXPECT_EQ(presenter.alerts[0].informativeText, std::nullopt);
  EXPECT_FALSE(stored());
  EXPECT_TRUE(recorder->isRecording()) << "recording resumes after the alert";
  QTest::keyClick(recorder, Qt::Key_Space, Qt::ControlModifier | Qt::AltModifier);
  ASSERT_EQ(presenter.alerts.size(), 2u);
  EXPECT_EQ(presenter.alerts[1].messageText,
            "This keyboard shortcut cannot be used as it's already used by the \u201CQ&A\u201D menu item.")
      << "the title as the menu shows it";

  QTest::keyClick(recorder, Qt::Key_Space, Qt::AltModifier | Qt::ShiftModifier);
  EXPECT_EQ(name->shortcut(), (Shortcut{49, 2048 | 512}));
}

TEST_F(RecorderTest, TheProgramsOwnShortcutsDoNotActOnTheKeysBeingRecorded) {
  int triggered = 0;
  auto* own = new QAction("Settings", window.get());
  own->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
  QObject::connect(own, &QAction::triggered, [&] { ++triggered; });
  window->addAction(own);
  QTest::keyClick(other, Qt::Key_Comma, Qt::ControlModifier);
  ASSERT_EQ(triggered, 1) << "the shortcut works while nothing records";

  startRecording();
  QTest::keyClick(recorder, Qt::Key_Comma, Qt::ControlModifier);
  EXPECT_EQ(name->shortcut(), (Shortcut{43, 256}));
  EXPECT_EQ(triggered, 1);
  QTest::keyClick(other, Qt::Key_Comma, Qt::ControlModifier);
  EXPECT_EQ(triggered, 2) << "and works again once recording ended";
}

TEST_F(RecorderTest, TheClearButtonTakesItsClickWhileRecording) {
  gs::saveShortcut({96, 0}, *name);
  startRecording();
  QWidget* clear = clearButtonWidget();
  ASSERT_NE(clear, nullptr);
  QTest::mouseClick(clear, Qt::LeftButton);
  EXPECT_FALSE(stored());
  EXPECT_TRUE(recorder->isRecording());
}

TEST_F(RecorderTest, ClickOutsideEndsRecordingAndReachesItsTarget) {
  startRecording();
  QTest::mouseClick(other, Qt::LeftButton);
  EXPECT_FALSE(recorder->isRecording());
  EXPECT_TRUE(other->hasFocus());
}

TEST_F(RecorderTest, FocusThatComesBackWithTheWindowDoesNotRecord) {
  recorder->setFocus(Qt::ActiveWindowFocusReason);
  EXPECT_FALSE(recorder->isRecording());
  QTest::keyClick(recorder, Qt::Key_V, Qt::ControlModifier);
  EXPECT_FALSE(stored());
}

TEST_F(RecorderTest, FocusMovedByTheToolkitDoesNotRecord) {
  QTest::mouseClick(other, Qt::LeftButton);
  other->hide();  // Qt moves the focus on, as if by Tab
  ASSERT_TRUE(recorder->hasFocus());
  EXPECT_FALSE(recorder->isRecording());
  other->show();
  QTest::mouseClick(other, Qt::LeftButton);
  QTest::keyClick(other, Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_TRUE(recorder->isRecording()) << "Tab from the field the user is in records";

  // Qt moves the focus onto the page switched in.
  QStackedWidget pages;
  auto* field = new QLineEdit();
  pages.addWidget(field);
  auto* page = new Recorder(*name);
  pages.addWidget(page);
  pages.show();
  QApplication::setActiveWindow(&pages);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&pages));
  QTest::mouseClick(field, Qt::LeftButton);
  pages.setCurrentIndex(1);
  ASSERT_TRUE(page->hasFocus());
  EXPECT_FALSE(page->isRecording());
}

TEST_F(RecorderTest, IsAsWideAsTheShortcutItShows) {
  // The columns from the first to the last the text inks, inside the frame and left of the clear button.
  const auto inkWidth = [this] {
    QApplication::processEvents();  // the layout follows
    const QImage image = recorder->grab().toImage();
    int first = -1, last = -1;
    for (int x = 3; x < clearButtonWidget()->x(); ++x) {
      for (int y = 3; y < image.height() - 3; ++y) {
        if (qGray(image.pixel(x, y)) < 128) (first < 0 ? first : last) = x;
      }
    }
    return last - first;
  };
  const QFont font = QApplication::font();
  gs::saveShortcut({111, 256 | 512 | 2048}, *name);  // Ctrl+Alt+Shift+F12
  for (int points : {9, 11}) {
    QApplication::setFont(QFont("DejaVu Sans", points));
    QApplication::processEvents();
    window->resize(1, window->height());  // as narrow as its layout lets it be
    const int narrow = inkWidth();
    window->resize(window->width() + 300, window->height());
    EXPECT_NEAR(narrow, inkWidth(), 1) << points << " pt";
  }
  QApplication::setFont(font);
}

TEST_F(RecorderTest, ShowsOnlyItsOwnNamesChanges) {
  gs::saveShortcut({120, 4096}, Name("someOtherRecorderName"));
  EXPECT_TRUE(recorder->text().isEmpty());
  gs::saveShortcut({120, 4096}, *name);
  EXPECT_EQ(recorder->text(), "Super+F2");
  recorder->setShortcutName(Name("someOtherRecorderName"));
  EXPECT_EQ(recorder->text(), "Super+F2");
  gs::setShortcut(std::nullopt, Name("someOtherRecorderName"));
  EXPECT_TRUE(recorder->text().isEmpty());
}

}  // namespace
