#pragma once

#include <QIcon>

namespace kit {

// The application's icon: the one installed for the application's id in the desktop's icon theme, else the one
// the program carries, else a blank 1 × 1 image.
QIcon appIcon();

// Gives every window of the program the application's icon (About, settings, debug, share ...).
void installApplicationIcon();

// The same, a second after the event loop starts: searching the icon theme and drawing the carried icon take
// milliseconds that the first copies should not wait for. A window shown before then takes the icon when it comes.
void installApplicationIconLater();

}  // namespace kit
