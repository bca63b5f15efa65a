#include "app/plain_text_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QTest>

namespace app {
namespace {

TEST(PlainTextViewTest, APasteOrADropOfAMarkdownCopyInsertsItsPlainText) {
  // Rendered, it would lose its markup: "let a = x * y * z; // q r l", and a heading "Title bold".
  const QString text = "let a = x * y * z; // `q` _r_ [l](u)\n# Title **bold**";
  // An editor's copy: its Markdown first, then its plain text.
  auto copy = [&] {
    auto* data = new QMimeData;
    data->setData("text/markdown", text.toUtf8());
    data->setText(text);
    return data;
  };
  std::string bound;
  PlainTextView view({[&] { return bound; }, [&](const std::string& typed) { bound = typed; }}, true, QFont(), true);
  view.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));

  QApplication::clipboard()->setMimeData(copy());
  view.paste();
  EXPECT_EQ(bound, text.toStdString());

  view.clear();
  std::unique_ptr<QMimeData> dragged(copy());
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, dragged.get(), Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(view.viewport(), &enter);
  ASSERT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, dragged.get(), Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(view.viewport(), &drop);
  EXPECT_EQ(bound, text.toStdString());
}

}  // namespace
}  // namespace app
