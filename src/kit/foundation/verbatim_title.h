#pragma once

#include <QString>
#include <string_view>

namespace kit {

// Qt's buttons, check boxes and menu items read an "&" in their text as the mark of a keyboard mnemonic: "Q&A" shows
// "QA" and answers Alt+A. Titles that are shown as they are go through these two.

// The text that makes such a widget show `title` as it is, with no mnemonic: every "&" doubled.
QString verbatimTitle(const QString& title);
QString verbatimTitle(std::string_view title);

// What such a widget shows for `text`: "&&" as "&", any other "&" left out ("&Quit" shows "Quit").
QString shownTitle(const QString& text);

}  // namespace kit
