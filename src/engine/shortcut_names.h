#pragma once

#include "kit/shortcuts/name.h"

// The application's named global shortcuts. None has a default: a shortcut exists only once the user records
// one. Each is created on first use, which also starts following our menus.
namespace kit::GlobalShortcuts::Names {

// "Copy and clear formatting": synthetic copy, then clear (on key up).
const kit::GlobalShortcuts::Name& copyAndClearFormatting();
// "Clear formatting and paste": clear, then synthetic paste (on key up). Stored as "clearFormatting".
const kit::GlobalShortcuts::Name& clearFormatting();
// "Toggle “Automatically clear formatting”": flips the preference (on key up).
const kit::GlobalShortcuts::Name& toggleAutomaticallyClearFormatting();

}  // namespace kit::GlobalShortcuts::Names
