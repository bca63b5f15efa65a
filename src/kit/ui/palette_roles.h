#pragma once

#include <QPalette>

class QWidget;

namespace kit {

// Lets the widget take the colour of `role` from its parent (or the theme) again, in every colour group, while every
// other colour set on it stays.
void inheritColorRole(QWidget& widget, QPalette::ColorRole role);

}  // namespace kit
