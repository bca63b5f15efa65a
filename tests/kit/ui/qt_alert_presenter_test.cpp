#include "kit/ui/qt_alert_presenter.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <optional>

#include "kit/ui/app_icon.h"

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

}  // namespace
}  // namespace kit
