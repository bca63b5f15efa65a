#pragma once

#include <QColor>
#include <optional>
#include <string>

class QLabel;
class QWidget;

namespace kit {

// A text label showing the string as written, or none (nullptr) when there is no string. An empty string still
// gives a label, empty.
QLabel* optionalText(const std::optional<std::string>& text, QWidget* parent = nullptr);

// Fills the widget's background with the colour; without a colour the widget draws no background of its own.
void setBackgroundColor(QWidget& widget, const std::optional<QColor>& color);

// An action for controls and alerts that need one but do nothing: it takes whatever its caller hands it.
inline constexpr auto emptyAction = [](const auto&...) {};

}  // namespace kit
