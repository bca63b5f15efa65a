#include "kit/ui/app_picker.h"

#include <gtest/gtest.h>

#include <QFileDialog>
#include <QFileSystemModel>
#include <QListWidget>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTest>
#include <cstdlib>
#include <filesystem>

#include "kit/foundation/general_error.h"
#include "kit/ui/native_text_field.h"
#include "support/recording_alert_presenter.h"
#include "support/xdg_folders.h"

namespace kit {
namespace {

std::vector<std::string> listed(const AppPickerDialog& picker) {
  std::vector<std::string> names;
  for (int row = 0; row < picker.list()->count(); ++row) {
    if (!picker.list()->item(row)->isHidden()) names.push_back(picker.list()->item(row)->text().toStdString());
  }
  return names;
}

QListWidgetItem* itemNamed(const AppPickerDialog& picker, const QString& name) {
  auto items = picker.list()->findItems(name, Qt::MatchExactly);
  return items.isEmpty() ? nullptr : items.front();
}

class AppPickerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setAlertPresenter(&presenter);
    apps.install("org.example.Zebra", applicationEntry("zebra notes"));
    apps.install("org.example.Atlas", applicationEntry("Atlas", "Icon=org.example.Atlas\n"));
    apps.install("org.example.Helper", applicationEntry("Helper", "NoDisplay=true\n"));
    apps.install("org.example.Mail", applicationEntry("Mail"));
    apps.install("org.example.Mailbox", applicationEntry("mailbox"));
    apps.install("com.kestrova.Quillet", applicationEntry("Quillet"));
  }
  void TearDown() override { setAlertPresenter(nullptr); }

  TemporaryXdgFolders apps{TemporaryXdgFolders::ConfigHome::kept};
  RecordingAlertPresenter presenter;
};

// Worked out once per run, so first here.
TEST_F(AppPickerTest, OtherChoosesADesktopFileAnywhereStartingFromTheSharedApplicationsFolder) {
  setenv("XDG_DATA_DIRS", ((apps.root() / "missing").string() + ":" + (apps.root() / "system").string()).c_str(), 1);
  EXPECT_EQ(applicationsDirectory(), apps.root() / "system/applications") << "the first one there is";
  const auto portable = apps.write("portable/org.example.Portable.desktop", applicationEntry("Portable"));
  const auto link =
      apps.write("portable/site.desktop", "[Desktop Entry]\nType=Link\nName=Site\nURL=https://a.example\n");
  const auto own = apps.write("portable/com.kestrova.Quillet.desktop", applicationEntry("Quillet"));
  AppPickerDialog picker(true, {});
  picker.open();
  auto chooseFile = [&](const std::filesystem::path& file) {
    picker.otherButton()->click();
    auto* files = picker.findChild<QFileDialog*>();
    EXPECT_NE(files, nullptr);
    if (!files) return;
    EXPECT_EQ(std::filesystem::path(files->directory().absolutePath().toStdString()), applicationsDirectory());
    // Our own desktop file shows greyed out there too.
    auto* filter = qobject_cast<DirectoryPickerFilter*>(files->proxyModel());
    ASSERT_NE(filter, nullptr);
    auto* model = qobject_cast<QFileSystemModel*>(filter->sourceModel());
    const auto flagsOf = [&](const std::filesystem::path& path) {
      return filter->flags(filter->mapFromSource(model->index(QString::fromStdString(path.string()))));
    };
    EXPECT_FALSE(flagsOf(own).testFlag(Qt::ItemIsEnabled));
    EXPECT_TRUE(flagsOf(file).testFlag(Qt::ItemIsEnabled));
    files->selectFile(QString::fromStdString(file.string()));
    static_cast<QDialog*>(files)->accept();  // as its Choose button does
    QTest::qWait(1);                         // the file chooser goes
  };

  chooseFile(link);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !presenter.alerts.empty(); }));
  EXPECT_EQ(presenter.alerts.back().messageText, "The selected item is not an app.");
  EXPECT_TRUE(picker.isVisible());
  chooseFile(portable);
  EXPECT_EQ(picker.chosen(), std::vector<std::string>{"org.example.Portable"});
  EXPECT_EQ(picker.result(), QDialog::Accepted);
}

TEST(ApplicationsDirectoryTest, IsTheUsualFolderWhenNoSharedDataFolderHasOne) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");  // a fresh process, where the folder is not yet worked out
  EXPECT_EXIT(
      {
        bool usual = false;
        {
          const TemporaryXdgFolders folders;
          folders.write("plain/applications", "a file, not a folder");
          setenv("XDG_DATA_DIRS",
                 ((folders.root() / "missing").string() + ":" + (folders.root() / "plain").string()).c_str(), 1);
          usual = applicationsDirectory() == "/usr/share/applications";
        }
        std::exit(usual ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
}

TEST_F(AppPickerTest, ListsInstalledApplicationsByNameAndHandsBackTheChosenIdsInListOrder) {
  AppPickerDialog picker(true, {});
  // Sorted by name whatever the letter case; entries that ask not to be listed are left out.
  EXPECT_EQ(listed(picker), (std::vector<std::string>{"Atlas", "Mail", "mailbox", "Quillet", "zebra notes"}));
  QListWidgetItem* own = itemNamed(picker, "Quillet");
  EXPECT_FALSE(own->flags().testFlag(Qt::ItemIsEnabled));
  EXPECT_FALSE(picker.chooseButton()->isEnabled());

  picker.searchField()->setFocus();
  QTest::keyClicks(picker.searchField(), "MAIL");
  EXPECT_EQ(listed(picker), (std::vector<std::string>{"Mail", "mailbox"}));
  picker.searchField()->clear();
  QTest::keyClicks(picker.searchField(), "example.z");  // ids match too
  EXPECT_EQ(listed(picker), (std::vector<std::string>{"zebra notes"}));
  picker.searchField()->clear();
  Q_EMIT picker.searchField()->textEdited("");
  EXPECT_EQ(listed(picker).size(), 5u);

  itemNamed(picker, "zebra notes")->setSelected(true);
  itemNamed(picker, "Atlas")->setSelected(true);
  own->setSelected(true);  // cannot be selected
  EXPECT_TRUE(picker.chooseButton()->isEnabled());
  picker.chooseButton()->click();
  EXPECT_EQ(picker.result(), QDialog::Accepted);
  EXPECT_EQ(picker.chosen(), (std::vector<std::string>{"org.example.Atlas", "org.example.Zebra"}));
}

TEST_F(AppPickerTest, AFailedCheckKeepsTheChooserOpenAndSingleSelectionChoosesOne) {
  AppPickerDialog picker(false, [](const platform::Url& url) {  // checked by its desktop file
    if (url.path().ends_with("/org.example.Mail.desktop"))
      throw GeneralError("Mail cannot be excluded.", "Choose another app.");
  });
  picker.open();
  itemNamed(picker, "Mail")->setSelected(true);
  itemNamed(picker, "Atlas")->setSelected(true);
  EXPECT_EQ(picker.list()->selectedItems().size(), 1);
  itemNamed(picker, "Mail")->setSelected(true);
  picker.chooseButton()->click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return presenter.alerts.size() == 1; }));
  EXPECT_EQ(presenter.alerts[0].messageText, "Mail cannot be excluded.");
  EXPECT_TRUE(picker.isVisible());
  EXPECT_TRUE(picker.chosen().empty());

  // A double click (which selects the row first) chooses it.
  QListWidgetItem* atlas = itemNamed(picker, "Atlas");
  atlas->setSelected(true);
  Q_EMIT picker.list()->itemActivated(atlas);
  EXPECT_EQ(picker.chosen(), std::vector<std::string>{"org.example.Atlas"});
  EXPECT_FALSE(picker.isVisible());
}

TEST_F(AppPickerTest, AnEntryThatIsNoLongerAnApplicationIsRefusedWithItsReason) {
  AppPickerDialog picker(true, {});
  picker.open();
  // After the list was made, one entry is removed and another stops being an application.
  std::filesystem::remove(apps.root() / "system/applications/org.example.Mail.desktop");
  apps.install("org.example.Atlas", "[Desktop Entry]\nType=Link\nName=Atlas\nURL=https://example.com\n");
  for (const char* name : {"Mail", "Atlas"}) {
    picker.list()->clearSelection();
    itemNamed(picker, name)->setSelected(true);
    picker.chooseButton()->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !presenter.alerts.empty(); })) << name;
    EXPECT_EQ(presenter.alerts.back().messageText, "The selected item is not an app.");
    EXPECT_EQ(presenter.alerts.back().informativeText, "Please select an app.");
    presenter.alerts.clear();
    EXPECT_TRUE(picker.isVisible());
    EXPECT_TRUE(picker.chosen().empty());
  }
}

TEST_F(AppPickerTest, PickOpensASheetOnTheWindowAndACancelGivesNothing) {
  QWidget window;
  window.show();
  std::vector<std::vector<std::string>> results;
  auto record = [&](std::vector<std::string> ids) { results.push_back(std::move(ids)); };

  AppPicker::pick(true, &window, {}, record);
  auto* picker = window.findChild<AppPickerDialog*>();
  ASSERT_NE(picker, nullptr);
  EXPECT_TRUE(picker->isVisible());
  itemNamed(*picker, "Atlas")->setSelected(true);
  picker->chooseButton()->click();
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0], std::vector<std::string>{"org.example.Atlas"});

  // Without a window it stays above other windows only when the program shows no normal window of its own.
  const auto pickAlone = [&] {
    AppPicker::pick(false, nullptr, {}, record);
    QTest::qWait(1);  // the chosen one's dialog goes
    AppPickerDialog* alone = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets())
      if (auto* dialog = qobject_cast<AppPickerDialog*>(widget); dialog && dialog->isVisible()) alone = dialog;
    EXPECT_NE(alone, nullptr);
    const bool floats = alone && alone->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    if (alone) alone->reject();
    return floats;
  };
  EXPECT_FALSE(pickAlone());
  ASSERT_EQ(results.size(), 2u);
  EXPECT_TRUE(results[1].empty());
  window.hide();
  EXPECT_TRUE(pickAlone());
}

TEST(DirectoryPickerFilterTest, GreysOutWhatTheTestRefusesAndEnablesEverythingWithoutOne) {
  QStandardItemModel folders;
  for (const char* path : {"/home/user/Projects", "/home/user/.cache"}) {
    auto* item = new QStandardItem(QString(path).section('/', -1));
    item->setData(QString(path), QFileSystemModel::FilePathRole);
    folders.appendRow(item);
  }
  DirectoryPickerFilter everything;
  everything.setSourceModel(&folders);
  DirectoryPickerFilter visibleOnly([](const std::string& path) { return path.find("/.") == std::string::npos; });
  visibleOnly.setSourceModel(&folders);
  for (int row : {0, 1}) EXPECT_TRUE(everything.flags(everything.index(row, 0)).testFlag(Qt::ItemIsEnabled));
  EXPECT_TRUE(visibleOnly.flags(visibleOnly.index(0, 0)).testFlag(Qt::ItemIsSelectable));
  EXPECT_FALSE(visibleOnly.flags(visibleOnly.index(1, 0)).testFlag(Qt::ItemIsEnabled));
  EXPECT_FALSE(visibleOnly.flags(visibleOnly.index(1, 0)).testFlag(Qt::ItemIsSelectable));
}

}  // namespace
}  // namespace kit
