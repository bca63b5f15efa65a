#include "kit/ui/character_picker.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>
#include <QVariantMap>
#include <filesystem>
#include <fstream>

#include "kit/foundation/log.h"
#include "support/private_bus.h"
#include "support/temporary_folder.h"

namespace kit {
namespace {

// GNOME Characters as the bus knows it: it counts its activations.
class FakeCharacters : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")

 public:
  int activations = 0;

 public Q_SLOTS:
  void Activate(const QVariantMap&) { ++activations; }
};

class CharacterPickerTest : public bustest::PrivateBusTest {
 protected:
  // A program of that name on the search path that leaves a mark when it runs.
  void install(const std::string& program) {
    const std::filesystem::path path = programs.path() / program;
    std::ofstream(path) << "#!/bin/sh\n/usr/bin/touch \"$0.ran\"\n";
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
  }
  bool ran(const std::string& program) const {
    return QTest::qWaitFor([&] { return std::filesystem::exists(programs.path() / (program + ".ran")); }, 5000);
  }
  QString searchPath() const { return QString::fromStdString(programs.path().string()); }

  TemporaryFolder programs;
};

TEST_F(CharacterPickerTest, TheFirstInstalledPickerOpensAndWithNoneOneLineSaysSo) {
  QDBusConnection client = bus.connect("client");
  const size_t logged = debugLogStore().entries().size();
  EXPECT_EQ(orderFrontCharacterPalette(client, searchPath()), std::nullopt);
  const auto entries = debugLogStore().entries();
  ASSERT_EQ(entries.size(), logged + 1);
  EXPECT_NE(entries.back().find("No character picker is installed"), std::string::npos);

  install("gucharmap");
  EXPECT_EQ(orderFrontCharacterPalette(client, searchPath()), CharacterPicker::gucharmap);
  EXPECT_TRUE(ran("gucharmap"));
  install("kcharselect");
  EXPECT_EQ(orderFrontCharacterPalette(client, searchPath()), CharacterPicker::kcharselect);
  EXPECT_TRUE(ran("kcharselect"));

  QDBusConnection service = bus.connect("characters");
  FakeCharacters characters;
  service.registerObject("/org/gnome/Characters", &characters, QDBusConnection::ExportAllSlots);
  service.registerService("org.gnome.Characters");
  EXPECT_EQ(orderFrontCharacterPalette(client, searchPath()), CharacterPicker::gnomeCharacters);
  EXPECT_TRUE(QTest::qWaitFor([&] { return characters.activations == 1; }, 5000));
  service.unregisterObject("/org/gnome/Characters");
}

TEST_F(CharacterPickerTest, CtrlSuperSpaceInATextFieldOpensThePicker) {
  install("gucharmap");
  qputenv("PATH", programs.path().string().c_str());
  qputenv("DBUS_SESSION_BUS_ADDRESS", bus.address().c_str());
  installCharacterPaletteKey();
  QLineEdit field;
  field.show();
  QTest::keyClick(&field, Qt::Key_Space, Qt::ControlModifier);
  EXPECT_FALSE(std::filesystem::exists(programs.path() / "gucharmap.ran"));
  QTest::keyClick(&field, Qt::Key_Space, Qt::ControlModifier | Qt::MetaModifier);
  EXPECT_TRUE(ran("gucharmap"));
}

}  // namespace
}  // namespace kit

#include "character_picker_test.moc"
