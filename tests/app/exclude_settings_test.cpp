// Screenshots go to settings-screenshots/ beside the test programs.
#include "app/exclude_settings.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QLabel>
#include <QLayout>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <cstdlib>
#include <filesystem>

#include "app/settings_window.h"
#include "engine/preference_keys.h"
#include "kit/foundation/expiring_cache.h"
#include "kit/ui/app_picker.h"
#include "kit/ui/show_for_app_runs.h"
#include "support/recording_alert_presenter.h"
#include "support/screenshots.h"
#include "support/xdg_folders.h"

namespace app {
namespace {

namespace Keys = kit::Preferences::Keys;
using AppList = std::vector<kit::BundleIdentifier>;

bool processUntil(const std::function<bool()>& condition) { return QTest::qWaitFor(condition, 3000); }

std::vector<std::string> rows(const QListWidget& list) {
  std::vector<std::string> titles;
  for (int row = 0; row < list.count(); ++row) titles.push_back(list.item(row)->text().toStdString());
  return titles;
}

AppList stored() { return kit::Preferences::get(Keys::excludedApps()); }

class ExcludeSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    kit::Preferences::removeAll();
    kit::ShowForAppRuns::forgetRunForTesting();
    kit::setAlertPresenter(&presenter);
    apps.install("org.example.Atlas", applicationEntry("Atlas", "Icon=" + icon().string() + "\n"));
    apps.install("org.example.Zebra", applicationEntry("Zebra"));
    kit::resetExpiringCacheForTesting();  // lookups of the same ids in the folders of an earlier test
    window = &SettingsWindow::open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->isVisible(); }));
    window->setCurrentTab(2);
    tab = qobject_cast<ExcludeSettings*>(window->currentPage());
    ASSERT_NE(tab, nullptr);
  }
  void TearDown() override {
    window->close();
    QTest::qWait(1);
    kit::setAlertPresenter(nullptr);
  }

  // An icon file of the application's own.
  std::filesystem::path icon() {
    const auto path = apps.root() / "atlas.png";
    if (!std::filesystem::exists(path)) {
      QPixmap pixmap(16, 16);
      pixmap.fill(Qt::darkCyan);
      pixmap.save(QString::fromStdString(path.string()));
    }
    return path;
  }

  kit::AppPickerDialog* chooser() {
    kit::AppPickerDialog* found = nullptr;
    processUntil([&] { return (found = window->findChild<kit::AppPickerDialog*>()) && found->isVisible(); });
    return found;
  }

  // Drags the files over the list and drops them; answers whether the list took the drag.
  bool drop(const QList<QUrl>& urls, const QString& text = {}) {
    QWidget* target = tab->list()->viewport();
    QMimeData data;
    if (!urls.isEmpty()) data.setUrls(urls);
    if (!text.isEmpty()) data.setText(text);
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted()) return false;
    EXPECT_TRUE(tab->list()->isDropTargeted());
    QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &dropped);
    EXPECT_FALSE(tab->list()->isDropTargeted());
    return dropped.isAccepted();
  }

  TemporaryXdgFolders apps{TemporaryXdgFolders::ConfigHome::kept};
  RecordingAlertPresenter presenter;
  SettingsWindow* window = nullptr;
  ExcludeSettings* tab = nullptr;
};

TEST_F(ExcludeSettingsTest, RowsShowInstalledAppsByNameAndOthersByTheirIdWithNoAppsOnlyForAnEmptyList) {
  EXPECT_TRUE(processUntil([&] { return tab->noAppsLabel()->isVisible(); }));
  EXPECT_EQ(tab->list()->count(), 0);
  EXPECT_FALSE(tab->removeButton()->isEnabled());
  EXPECT_TRUE(tab->tip()->isVisible());  // the first run in which the tab shows
  saveScreenshot(*window, "exclude-tab-empty.png");
  // A screen reader reads what shows: the list under its header says it is empty, the footer reads as text.
  QAccessibleInterface* list = QAccessible::queryAccessibleInterface(tab->list());
  EXPECT_EQ(list->text(QAccessible::Name), "Do not automatically clear formatting when copying in these apps");
  EXPECT_EQ(list->text(QAccessible::Description), "No Apps");
  EXPECT_EQ(QAccessible::queryAccessibleInterface(tab->footer())->text(QAccessible::Name),
            "Please let me know if Quillet is clearing formatting when it should not or not clearing formatting when "
            "it should.");

  // Stored by another part of the program: an uninstalled application keeps a row by its id, listed once.
  kit::Preferences::set(Keys::excludedApps(), AppList{"org.example.Atlas", "org.example.Gone", "org.example.Atlas"});
  ASSERT_TRUE(processUntil([&] { return tab->list()->count() == 2; }));
  EXPECT_EQ(rows(*tab->list()), (std::vector<std::string>{"Atlas", "org.example.Gone"}));
  EXPECT_FALSE(tab->noAppsLabel()->isVisible());
  EXPECT_EQ(list->text(QAccessible::Description), "");
  const QImage atlasIcon = tab->list()->item(0)->icon().pixmap(16, 16).toImage();
  EXPECT_EQ(atlasIcon.pixelColor(8, 8), QColor(Qt::darkCyan));
  EXPECT_FALSE(tab->list()->item(1)->icon().isNull());  // the generic application icon
  saveScreenshot(*window, "exclude-tab-apps.png");

  // The uninstalled one can be selected and removed, every occurrence of a removed id goes, and a row stays selected
  // while the list changes around it.
  tab->list()->item(1)->setSelected(true);
  kit::Preferences::set(Keys::excludedApps(), AppList{"org.example.Zebra", "org.example.Gone", "org.example.Atlas"});
  ASSERT_TRUE(processUntil([&] { return tab->list()->count() == 3; }));
  EXPECT_TRUE(tab->list()->item(1)->isSelected());
  tab->removeButton()->click();
  EXPECT_EQ(stored(), (AppList{"org.example.Zebra", "org.example.Atlas"}));
  EXPECT_EQ(rows(*tab->list()), (std::vector<std::string>{"Zebra", "Atlas"}));
  EXPECT_FALSE(tab->removeButton()->isEnabled());
}

TEST_F(ExcludeSettingsTest, BarBelowTheListHasTheButtonsAtItsStartAndTheTipAtItsEndBothCentredInHeight) {
  QWidget* buttons = tab->addButton()->parentWidget();
  QWidget* bar = buttons->parentWidget();
  ASSERT_EQ(tab->tip()->parentWidget(), bar);
  ASSERT_TRUE(processUntil([&] { return bar->isVisible() && tab->tip()->isVisible(); }));
  const int padding = bar->layout()->contentsMargins().left();
  EXPECT_GT(padding, 0);
  EXPECT_EQ(buttons->geometry().left(), padding);
  EXPECT_EQ(buttons->size(), buttons->sizeHint());
  EXPECT_EQ(tab->tip()->geometry().right(), bar->width() - 1 - padding);
  EXPECT_GT(tab->tip()->geometry().left(), buttons->geometry().right());
  for (QWidget* part : {buttons, tab->tip()})
    EXPECT_LE(std::abs(part->geometry().center().y() - bar->rect().center().y()), 1) << part->metaObject()->className();
}

TEST_F(ExcludeSettingsTest, AddsThroughTheChooserAndRemovesByButtonAndByTheDeleteKey) {
  kit::Preferences::set(Keys::excludedApps(), AppList{"org.example.Zebra"});
  tab->addButton()->click();
  kit::AppPickerDialog* picker = chooser();
  ASSERT_NE(picker, nullptr);
  picker->list()->selectAll();
  picker->chooseButton()->click();
  // Zebra was there: it keeps its place, and Atlas follows it once.
  EXPECT_EQ(stored(), (AppList{"org.example.Zebra", "org.example.Atlas"}));
  EXPECT_EQ(rows(*tab->list()), (std::vector<std::string>{"Zebra", "Atlas"}));

  tab->addButton()->click();
  picker = chooser();
  ASSERT_NE(picker, nullptr);
  picker->reject();
  EXPECT_EQ(stored(), (AppList{"org.example.Zebra", "org.example.Atlas"}));

  tab->list()->item(0)->setSelected(true);
  ASSERT_TRUE(tab->removeButton()->isEnabled());
  tab->removeButton()->click();
  EXPECT_EQ(stored(), AppList{"org.example.Atlas"});

  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  tab->list()->setFocus();
  tab->list()->item(0)->setSelected(true);
  QTest::keyClick(tab->list(), Qt::Key_Delete);
  EXPECT_TRUE(stored().empty());
  EXPECT_TRUE(processUntil([&] { return tab->noAppsLabel()->isVisible(); }));
  QTest::keyClick(tab->list(), Qt::Key_Delete);  // nothing selected: nothing to do
  EXPECT_TRUE(stored().empty());
}

TEST_F(ExcludeSettingsTest, DroppingDesktopFilesAddsTheApplicationsAmongThem) {
  const auto outside = apps.write("Desktop/org.example.Dropped.desktop", applicationEntry("Dropped"));
  const auto link = apps.write("Desktop/site.desktop", "[Desktop Entry]\nType=Link\nName=Site\nURL=https://a.b\n");
  const auto notes = apps.write("Desktop/notes.txt", "[Desktop Entry]\nType=Application\nName=Notes\n");
  const auto installed = apps.root() / "system/applications/org.example.Atlas.desktop";
  auto url = [](const std::filesystem::path& path) { return QUrl::fromLocalFile(QString::fromStdString(path)); };

  EXPECT_FALSE(drop({}, "just text"));  // no addresses: refused
  EXPECT_FALSE(tab->list()->isDropTargeted());
  EXPECT_TRUE(drop({QUrl("https://example.com/x.desktop")}));  // accepted, but no file in it
  EXPECT_TRUE(stored().empty());
  EXPECT_TRUE(drop({url(link), url(installed), url(notes), url(outside), QUrl("https://example.com/x.desktop")}));
  EXPECT_EQ(stored(), (AppList{"org.example.Atlas", "org.example.Dropped"}));
  EXPECT_TRUE(drop({url(notes)}));  // accepted, but nothing in it is an application
  EXPECT_EQ(stored(), (AppList{"org.example.Atlas", "org.example.Dropped"}));
}

}  // namespace
}  // namespace app
