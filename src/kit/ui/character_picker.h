#pragma once

#include <QDBusConnection>
#include <QString>
#include <optional>

namespace kit {

// The character pickers a Linux desktop may have installed, in the order they are tried.
enum class CharacterPicker { gnomeCharacters, kcharselect, gucharmap };

// Opens the installed character picker (to find and insert emoji and symbols): GNOME Characters, started by D-Bus
// activation when the bus knows it, else KCharSelect or gucharmap, whichever is found first on the search path
// (PATH when empty). With none installed nothing opens and one log line says so. Answers the picker opened.
std::optional<CharacterPicker> orderFrontCharacterPalette(QDBusConnection bus = QDBusConnection::sessionBus(),
                                                          const QString& searchPath = {});

// Ctrl+Super+Space in the application's text fields and text views opens the character picker, as it would with
// the keys of a main menu's Edit menu. Once per application.
void installCharacterPaletteKey();

}  // namespace kit
