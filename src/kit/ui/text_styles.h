#pragma once

#include <string>
#include <string_view>

class QLabel;
class QWidget;

namespace kit {

// The desktop's regular font size and the small one beside it (11 to the regular 13), in points, read once.
double systemFontSize();
double smallSystemFontSize();

// Secondary text: the palette's dimmed text colour, at the regular size unless another one is given.
void applySecondaryTextStyle(QWidget& widget, double pointSize = systemFontSize());

// A wrapping label that renders Markdown: bold, strikethrough, code spans and links, which open in the user's
// default application. HTML in it is text: "<b>" shows as written.
QLabel* markdownLabel(const std::string& markdown, QWidget* parent = nullptr);
// Shows new Markdown in such a label. Screen readers read the text as it shows, without its markup.
void setMarkdownText(QLabel& label, const std::string& markdown);

// Markdown that shows the text's lines as written: a single line feed stays a line break, every blank line stays
// an empty line, runs of blanks and tabs keep their width, and a line that would start a list, a heading or a quote
// stays plain text. Inline Markdown (bold, links, code spans) still renders.
std::string markdownKeepingLines(std::string_view text);

}  // namespace kit
