#include "kit/ui/qt_alert_presenter.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <optional>
#include <utility>
#include <vector>

#include "kit/foundation/general_error.h"
#include "kit/ui/app_icon.h"
#include "kit/ui/error_alert.h"

namespace kit {
namespace {

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

    for (QPushButton* button : dialog->findChildren<QPushButton*>())
      if (button->text() == "Later") button->click();
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->code, alertFirstButtonReturn + 1);
  }
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
}

}  // namespace
}  // namespace kit
