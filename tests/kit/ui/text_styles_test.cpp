#include "kit/ui/text_styles.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontInfo>
#include <QLabel>
#include <QPalette>
#include <QTextBlock>
#include <QTextDocument>
#include <string>
#include <vector>

namespace kit {
namespace {

std::vector<std::string> renderedLines(const std::string& markdown) {
  QTextDocument document;
  document.setMarkdown(QString::fromStdString(markdown),
                       QTextDocument::MarkdownFeatures(QTextDocument::MarkdownDialectGitHub |
                                                       QTextDocument::MarkdownNoHTML));  // as labels read it
  std::vector<std::string> lines;
  for (const QString& line : document.toPlainText().split(QChar::LineSeparator).join('\n').split('\n'))
    lines.push_back(line.toStdString());
  return lines;
}

TEST(MarkdownTextTest, KeepsLinesBlankLinesBlanksAndListMarkersAsWrittenWhileInlineMarkupRenders) {
  const std::string text =
      "\nNormalizes.\n\n**Before**\n\n• A\n\t‣ A2\n• B\n\n\n**After**\n\n- A\n\t- A2\n1. One\nOriginal:   ~~x~~ "
      "`y`\n\n";
  EXPECT_EQ(renderedLines(markdownKeepingLines(text)),
            (std::vector<std::string>{"", "Normalizes.", "", "Before", "", "• A", "    ‣ A2", "• B", "", "", "After",
                                      "", "- A", "    - A2", "1. One", "Original:   x y"}));
  EXPECT_EQ(markdownKeepingLines("\n\n"), "");

  QLabel* label = markdownLabel("~~Ducks~~ **are** [fun](https://example.com) `code`");
  EXPECT_EQ(label->accessibleName(), "Ducks are fun code") << "what a screen reader reads is what shows";
  QTextDocument document;
  document.setHtml(label->text());
  QTextBlock::iterator fragment = document.begin().begin();
  EXPECT_TRUE(fragment.fragment().charFormat().fontStrikeOut());
  bool bold = false, link = false, code = false;
  for (; !fragment.atEnd(); ++fragment) {
    const QTextCharFormat format = fragment.fragment().charFormat();
    bold = bold || format.fontWeight() == QFont::Bold;
    link = link || format.anchorHref() == "https://example.com";
    code = code || QFontInfo(format.font()).fixedPitch();
  }
  EXPECT_TRUE(bold && link && code);

  // HTML is text, shown and read as written.
  setMarkdownText(*label, "Press <Return> to send. <b>x</b> **y**");
  document.setHtml(label->text());
  EXPECT_EQ(document.toPlainText(), "Press <Return> to send. <b>x</b> y");
  EXPECT_EQ(label->accessibleName(), "Press <Return> to send. <b>x</b> y");
  delete label;
}

TEST(SecondaryTextTest, TakesTheDimmedColourOfEachPaletteTheApplicationSwitchesTo) {
  const QPalette original = QApplication::palette();
  QWidget window;
  auto* label = new QLabel("Secondary", &window);
  applySecondaryTextStyle(*label, 9);
  applySecondaryTextStyle(*label, 9);  // styled twice, as a view rebuilt in place may
  EXPECT_EQ(label->palette().color(QPalette::WindowText), original.color(QPalette::PlaceholderText));

  QPalette dark = original;
  dark.setColor(QPalette::Window, QColor(30, 30, 30));
  dark.setColor(QPalette::WindowText, Qt::white);
  dark.setColor(QPalette::PlaceholderText, QColor(150, 150, 150));
  QApplication::setPalette(dark);
  QCoreApplication::sendPostedEvents();  // widgets hear of a new application palette in posted events
  EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(150, 150, 150));
  EXPECT_EQ(label->palette().color(QPalette::Text), QColor(150, 150, 150));
  EXPECT_EQ(label->palette().color(QPalette::Window), QColor(30, 30, 30)) << "the rest of the palette follows too";
  EXPECT_EQ(label->font().pointSizeF(), 9);

  QApplication::setPalette(original);
  QCoreApplication::sendPostedEvents();
  EXPECT_EQ(label->palette().color(QPalette::WindowText), original.color(QPalette::PlaceholderText));
}

}  // namespace
}  // namespace kit
