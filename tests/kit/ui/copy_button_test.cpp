#include "kit/ui/copy_button.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QPalette>
#include <QPointer>
#include <QTest>
#include <memory>

#include "doubles/memory_pasteboard.h"
#include "kit/ui/link_copy.h"
#include "support/title_shown.h"

namespace kit {
namespace {

// What an action that takes its button away finds afterwards: its own captures.
std::weak_ptr<int> actionsCapture;
bool actionsCaptureOutlivedTheButton = false;

TEST(CopyButton, ShowsSuccessBeforeTheActionForASecondWithoutTakingClicks) {
  std::vector<bool> showingDuringAction;
  CopyButton button([&] { showingDuringAction.push_back(button.isShowingSuccess() && !button.isEnabled()); },
                    "Copy Link");
  button.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&button));
  const QSize idleSize = button.sizeHint();

  // A button that goes during its second leaves nothing behind that fires, also when its own action takes it away.
  QPointer<CopyButton> gone = new CopyButton([] {});
  gone->click();
  delete gone.data();
  auto capture = std::make_shared<int>(0);
  actionsCapture = capture;
  gone = new CopyButton([capture, &gone] {
    delete gone.data();
    actionsCaptureOutlivedTheButton = !actionsCapture.expired();
  });
  capture.reset();
  gone->click();
  EXPECT_TRUE(actionsCaptureOutlivedTheButton);

  QTest::mouseClick(&button, Qt::LeftButton);
  EXPECT_EQ(showingDuringAction, std::vector<bool>{true});
  EXPECT_EQ(button.sizeHint(), idleSize);
  QTest::mouseClick(&button, Qt::LeftButton);
  EXPECT_EQ(showingDuringAction.size(), 1u) << "no second press during the success display";

  EXPECT_TRUE(QTest::qWaitFor([&] { return !button.isShowingSuccess(); }, 2000));
  EXPECT_TRUE(button.isEnabled());
  QTest::mouseClick(&button, Qt::LeftButton);
  EXPECT_EQ(showingDuringAction.size(), 2u);

  // The symbol follows a new palette (a dark one, say).
  const QImage symbol = button.icon().pixmap(16).toImage();
  const QPalette original = QApplication::palette();
  QPalette dark = original;
  dark.setColor(QPalette::WindowText, Qt::white);
  QApplication::setPalette(dark);
  EXPECT_TRUE(QTest::qWaitFor([&] { return button.icon().pixmap(16).toImage() != symbol; }));
  QApplication::setPalette(original);
}

TEST(CopyButton, TheCallersEnablingHoldsAfterTheSuccessSecond) {
  CopyButton button([] {});
  QElapsedTimer shown;
  shown.start();
  button.click();
  button.setEnabled(false);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !button.isShowingSuccess(); }, 2000));
  EXPECT_GE(shown.elapsed(), 1000) << "a whole second, never less";
  EXPECT_FALSE(button.isEnabled()) << "disabled meanwhile by its caller";

  button.setEnabled(true);
  button.click();
  button.setEnabled(true);
  EXPECT_FALSE(button.isEnabled()) << "no clicks during the second";
  EXPECT_TRUE(QTest::qWaitFor([&] { return button.isEnabled(); }, 2000));
}

TEST(CopyButton, ShowsItsTitleOrCopyAsWritten) {
  CopyButton plain([] {});
  EXPECT_EQ(titleShown(plain), "Copy");
  CopyButton titled([] {}, "Fish & Chips");
  EXPECT_EQ(titleShown(titled), "Fish & Chips");
  EXPECT_FALSE(hasMnemonic(titled)) << "Alt+Space presses nothing";
}

TEST(LinkCopy, PutsTheLinkAloneOnTheClipboardAsALinkAndAsTextMarkedAsOursThenCompletes) {
  platform::MemoryPasteboard pasteboard;
  pasteboard.write({{platform::PasteboardType::string, "before"}, {platform::PasteboardType::html, "<b>before</b>"}});
  std::vector<std::string> typesWhenCompleted;
  copyUrlToGeneral(
      *platform::Url::parse("mailto:someone@example.com"), [&] { typesWhenCompleted = pasteboard.types(); },
      pasteboard);
  EXPECT_EQ(pasteboard.items().size(), 1u);
  EXPECT_EQ(pasteboard.string(platform::PasteboardType::string), "someone@example.com");
  EXPECT_EQ(pasteboard.string(platform::PasteboardType::url), "mailto:someone@example.com");
  EXPECT_EQ(pasteboard.string("org.nspasteboard.source"), "com.kestrova.Quillet");
  EXPECT_EQ(pasteboard.string(platform::PasteboardType::html), std::nullopt);
  EXPECT_EQ(typesWhenCompleted, pasteboard.types()) << "the completion comes after the write";
}

}  // namespace
}  // namespace kit
