#include "kit/app/feedback.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTranslator>
#include <QVBoxLayout>
#include <set>
#include <string>

#include "kit/foundation/text_from_key.h"
#include "kit/foundation/url_query.h"
#include "kit_widgets_test_support.h"
#include "support/title_shown.h"

namespace kit {
namespace {

using FeedbackTest = KitWidgetsTest;

TEST_F(FeedbackTest, FeedbackCarriesOnlyProductAndMetadataUnlessGivenMore) {
  openFeedbackPage();
  ASSERT_EQ(opened.size(), 1u);
  const auto url = *platform::Url::parse(opened.front());
  std::set<std::string> names;
  for (const auto& item : queryItems(url)) names.insert(item.name);
  EXPECT_EQ(names, (std::set<std::string>{"metadata", "product"}));
  EXPECT_EQ(queryItemValue(url, "product"), "Quillet");
  EXPECT_NE(queryItemValue(url, "metadata").value_or("").find("Bundle Identifier"), std::string::npos);

  const auto withMessage = feedbackPageUrl("a & b = c", "");
  EXPECT_EQ(queryItemValue(withMessage, "messageField"), "a & b = c");
  EXPECT_EQ(queryItemValue(withMessage, "extraInfo"), "");
  EXPECT_EQ(withMessage.absoluteString().rfind("https://kestrova.com/feedback?", 0), 0u);
}

TEST_F(FeedbackTest, TheFeedbackTitleIsShownAsWrittenAndTheQuitTitlesAreLookedUp) {
  SendFeedbackButton feedback("Questions & Answers");
  EXPECT_EQ(titleShown(feedback), "Questions & Answers");
  EXPECT_FALSE(hasMnemonic(feedback));
  feedback.click();
  EXPECT_EQ(opened.size(), 1u);

  EXPECT_EQ(titleShown(*new QuitButton(false, &feedback)), "Quit");
  EXPECT_EQ(titleShown(*new QuitButton(true, &feedback)), "Quit Quillet");

  class Catalogue : public QTranslator {
   public:
    QString translate(const char* context, const char* sourceText, const char*, int) const override {
      if (QByteArray(context) != Text::translationContext) return {};
      if (QByteArray(sourceText) == "Quit %@") return QStringLiteral("%@ & alles beenden");
      if (QByteArray(sourceText) == "Quit") return QStringLiteral("Beenden");
      return {};
    }
    bool isEmpty() const override { return false; }
  } catalogue;
  ASSERT_TRUE(QCoreApplication::installTranslator(&catalogue));
  auto* named = new QuitButton(true, &feedback);
  EXPECT_EQ(titleShown(*named), "Quillet & alles beenden");
  EXPECT_EQ(named->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q)) << "no mnemonic takes the place of Ctrl+Q";
  EXPECT_EQ(titleShown(*new QuitButton(false, &feedback)), "Beenden");
  QCoreApplication::removeTranslator(&catalogue);
}

TEST_F(FeedbackTest, ReturnInADialogsFieldPressesNeitherButton) {
  QDialog dialog;
  auto* layout = new QVBoxLayout(&dialog);
  auto* feedback = new SendFeedbackButton("Send Feedback…");
  auto* quit = new QuitButton(true);
  auto* field = new QLineEdit;
  layout->addWidget(feedback);
  layout->addWidget(quit);
  layout->addWidget(field);
  QSignalSpy quitClicks(quit, &QPushButton::clicked);
  dialog.show();
  field->setFocus();
  QTest::keyClick(field, Qt::Key_Return);
  EXPECT_TRUE(opened.empty());
  EXPECT_EQ(quitClicks.count(), 0);
  EXPECT_FALSE(feedback->isDefault() || quit->isDefault());
}

}  // namespace
}  // namespace kit
