#include "kit/ui/qt_alert_presenter.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <optional>
#include <utility>
#include <vector>

#include "kit/foundation/general_error.h"
#include "kit/foundation/report_error.h"
#include "kit/ui/app_icon.h"
#include "kit/ui/error_alert.h"
#include "kit/ui/text_styles.h"
#include "support/reported_errors.h"
#include "support/title_shown.h"

namespace kit {
namespace {

QDialog* shownAlert() {
  QDialog* dialog = nullptr;
  (void)QTest::qWaitFor([&] { return (dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())); });
  return dialog;
}

QImage iconShown(const QDialog& dialog) {
  for (const QLabel* label : dialog.findChildren<QLabel*>())
    if (!label->pixmap().isNull()) return label->pixmap().toImage();
  return {};
}

TEST(QtAlertPresenterTest, WarningsAndNotesShowTheApplicationsIconAndAnswerWithTheButtonChosen) {
  const QImage application = appIcon().pixmap(64, 64).toImage();
  ASSERT_NE(application, QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(64, 64).toImage());
  QtAlertPresenter presenter;
  for (AlertStyle style : {AlertStyle::warning, AlertStyle::informational}) {
    std::optional<AlertResponse> answer;
    presenter.beginSheet(
        makeAlert("Welcome", "Some words.", std::nullopt, style, std::nullopt, {"Get Started", "Later"}), nullptr,
        [&](AlertResponse response) { answer = response; });
    QDialog* dialog = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())); }));
    EXPECT_EQ(iconShown(*dialog), application);
    EXPECT_EQ(dialog->windowTitle(), "Quillet") << "the application's name, whatever name Qt was given";

    for (QPushButton* button : dialog->findChildren<QPushButton*>())
      if (button->text() == "Later") button->click();
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->code, alertFirstButtonReturn + 1);
  }
}

TEST(QtAlertPresenterTest, AnImageOfTheAlertIsShownAheadOfTheThemeIcon) {
  QImage image(64, 64, QImage::Format_ARGB32);
  image.fill(QColor(10, 200, 30));
  Alert alert = makeAlert("Pictured", std::nullopt, std::nullopt, AlertStyle::critical, image);
  alert.iconName = "dialog-warning";
  QtAlertPresenter presenter;
  presenter.beginSheet(alert, nullptr, nullptr);
  QDialog* dialog = shownAlert();
  ASSERT_TRUE(dialog);
  EXPECT_EQ(iconShown(*dialog).pixelColor(32, 32), QColor(10, 200, 30));
  dialog->done(alertFirstButtonReturn);
}

TEST(QtAlertPresenterTest, DetailTextLinesUpWithTheMessageUnlessItHasAMinimumWidth) {
  QtAlertPresenter presenter;
  const std::string longMessage(40, 'm');
  for (std::optional<double> minimumWidth : {std::optional<double>(), std::optional<double>(400)}) {
    presenter.beginSheet(makeAlert(longMessage + " and more words", "Message", "Details", AlertStyle::warning,
                                   std::nullopt, {}, std::nullopt, {}, minimumWidth),
                         nullptr, nullptr);
    QDialog* dialog = shownAlert();
    ASSERT_TRUE(dialog);
    auto* detail = dialog->findChild<QPlainTextEdit*>();
    QLabel* message = nullptr;
    for (QLabel* label : dialog->findChildren<QLabel*>())
      if (label->text().startsWith("mmm")) message = label;
    ASSERT_TRUE(detail && message);
    if (minimumWidth) {
      EXPECT_EQ(detail->width(), 400);
    } else {
      ASSERT_TRUE(QTest::qWaitFor([&] { return detail->maximumWidth() == QWIDGETSIZE_MAX; }));
      QTest::qWait(10);
      EXPECT_EQ(detail->x(), message->x());
      EXPECT_EQ(detail->width(), message->width());
    }
    EXPECT_EQ(detail->height(), 120);
    EXPECT_DOUBLE_EQ(detail->font().pointSizeF(), smallSystemFontSize());
    dialog->done(alertFirstButtonReturn);
  }
}

TEST(QtAlertPresenterTest, ADetailAreaOutsideAnAlertIsReportedAndKeepsItsWidth) {
  const ReportedErrors reported;
  QWidget window;
  auto* message = new QLabel("Not the alert's message", &window);
  auto* detail = new QPlainTextEdit(&window);
  detail->setGeometry(0, 30, 123, 40);
  message->setFixedWidth(300);
  adjustAccessoryWidthToMessage(*detail);
  EXPECT_EQ(reported.descriptions(),
            std::vector<std::string>{"Couldn't detect the message textfield view of the NSAlert panel"});
  EXPECT_EQ(detail->width(), 123);
}

// The labels of the alert that show text, from the title down.
std::vector<const QLabel*> textLabels(const QDialog& dialog) {
  std::vector<const QLabel*> labels;
  for (const QLabel* label : dialog.findChildren<QLabel*>())
    if (label->pixmap().isNull()) labels.push_back(label);
  return labels;
}

TEST(QtAlertPresenterTest, AnErrorsMessageShowsAsWrittenAndOnlyWhenItHasOne) {
  QtAlertPresenter presenter;
  auto labelsOf = [&](const Alert& alert) {
    presenter.beginSheet(alert, nullptr, {});
    QDialog* dialog = nullptr;
    EXPECT_TRUE(QTest::qWaitFor([&] { return (dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())); }));
    std::vector<std::pair<QString, Qt::TextFormat>> shown;
    if (!dialog) return shown;
    for (const QLabel* label : textLabels(*dialog)) shown.emplace_back(label->text(), label->textFormat());
    dialog->done(alertFirstButtonReturn);
    EXPECT_TRUE(QTest::qWaitFor([] { return QApplication::activeModalWidget() == nullptr; }));
    return shown;
  };

  const auto titleOnly = labelsOf(recoveryErrorAlert(GeneralError("Shortcut not saved")));
  ASSERT_EQ(titleOnly.size(), 1u) << "no message under the title";
  EXPECT_EQ(titleOnly[0].first, "Shortcut not saved");

  const auto withMessage =
      labelsOf(recoveryErrorAlert(GeneralError("Shortcut not saved", "Hold <b>Ctrl</b> with another key.")));
  ASSERT_EQ(withMessage.size(), 2u);
  EXPECT_EQ(withMessage[1].first, "Hold <b>Ctrl</b> with another key.");
  EXPECT_EQ(withMessage[1].second, Qt::PlainText);

  const auto emptyMessage = labelsOf(recoveryErrorAlert(GeneralError("Shortcut not saved", "")));
  ASSERT_EQ(emptyMessage.size(), 2u) << "an empty message is still a text under the title";
  EXPECT_EQ(emptyMessage[1].first, "");
}

TEST(QtAlertPresenterTest, FocusStartsOnTheDefaultButtonNeverADestructiveOneAndEscapeAnswersCancel) {
  QtAlertPresenter presenter;
  QWidget window;
  window.show();
  auto answerBySpace = [&](const Alert& alert) -> std::optional<int> {
    std::optional<AlertResponse> answer;
    presenter.beginSheet(alert, &window, [&](AlertResponse response) { answer = response; });
    QDialog* dialog = shownAlert();
    EXPECT_TRUE(dialog && QTest::qWaitForWindowActive(dialog));
    if (dialog) QTest::keyClick(dialog->focusWidget() ? dialog->focusWidget() : dialog, Qt::Key_Space);
    if (!answer) presenter.endSheet(&window);
    return answer ? std::optional(answer->code) : std::nullopt;
  };
  const std::vector<std::string> titles{"Cancel", "Delete"};
  EXPECT_EQ(answerBySpace(makeAlert("Delete?", {}, {}, AlertStyle::warning, {}, titles, {}, {1})),
            alertFirstButtonReturn);
  EXPECT_EQ(answerBySpace(makeAlert("Delete?", {}, {}, AlertStyle::warning, {}, titles, 1, {1})),
            alertFirstButtonReturn)
      << "a destructive default answers no Return, and takes no focus";
  EXPECT_EQ(answerBySpace(makeAlert("Delete?", {}, {}, AlertStyle::warning, {}, {"Delete"}, {}, {0})), 0)
      << "no button to start on: Space answers nothing, and the sheet is ended with no button";

  // An error whose only button is "Cancel": no recovery options, and an attempter.
  const GeneralError error("Shortcut not saved", std::nullopt, {}, std::nullopt,
                           {{platform::userinfo::localizedRecoveryOptions, std::vector<std::string>{}},
                            {platform::userinfo::recoveryAttempter,
                             std::make_shared<ErrorRecoveryAttempter>(std::vector<RecoveryOption>{})}});
  std::optional<AlertResponse> answer;
  presenter.beginSheet(recoveryErrorAlert(error), &window, [&](AlertResponse response) { answer = response; });
  QDialog* cancelOnly = shownAlert();
  ASSERT_TRUE(cancelOnly);
  QTest::keyClick(cancelOnly, Qt::Key_Escape);
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer->code, alertFirstButtonReturn);
}

TEST(QtAlertPresenterTest, TextsAndTitlesAreShownAsWritten) {
  QtAlertPresenter presenter;
  std::optional<AlertResponse> answer;
  presenter.beginSheet(
      makeAlert("<b>Fish</b> & Chips", "1 < 2 & 3 > 2", std::nullopt, AlertStyle::warning, std::nullopt,
                {"Save & Quit", "Q&A"}, std::nullopt, {}, std::nullopt, true, "Never & nowhere"),
      nullptr, [&](AlertResponse response) { answer = response; });
  QDialog* dialog = shownAlert();
  ASSERT_TRUE(dialog);

  QStringList texts;
  for (const QLabel* label : dialog->findChildren<QLabel*>()) {
    if (label->text().isEmpty()) continue;
    texts << label->text();
    EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->text().toStdString();
  }
  EXPECT_EQ(texts, (QStringList{"<b>Fish</b> & Chips", "1 < 2 & 3 > 2"}));

  auto* suppression = dialog->findChild<QCheckBox*>();
  ASSERT_NE(suppression, nullptr);
  EXPECT_EQ(titleShown(*suppression), "Never & nowhere");
  EXPECT_FALSE(hasMnemonic(*suppression));
  QPushButton* second = nullptr;
  for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
    EXPECT_FALSE(hasMnemonic(*button)) << titleShown(*button).toStdString();
    if (titleShown(*button) == "Q&A") second = button;
  }
  ASSERT_NE(second, nullptr);
  second->click();
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer->code, alertFirstButtonReturn + 1);
}

}  // namespace
}  // namespace kit
