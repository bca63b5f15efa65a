#include "kit/ui/text_styles.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <optional>
#include <vector>

#include "kit/ui/url_opening.h"

namespace kit {

namespace {

constexpr std::string_view noBreakSpace = "\u00A0";
constexpr int blanksPerTab = 4;

// Where a backslash keeps a line from starting a list, a heading or a quote: before the marker, or before the
// dot of a numbered item (a backslash before a digit escapes nothing).
std::optional<size_t> blockMarkerEscape(std::string_view line) {
  if (line.empty()) return std::nullopt;
  const char first = line.front();
  if (first == '#' || first == '>') return 0;
  if ((first == '-' || first == '*' || first == '+') && (line.size() == 1 || line[1] == ' ')) return 0;
  size_t digits = 0;
  while (digits < line.size() && line[digits] >= '0' && line[digits] <= '9') ++digits;
  if (digits > 0 && digits < line.size() && (line[digits] == '.' || line[digits] == ')')) return digits;
  return std::nullopt;
}

// Leading tabs and every run of two or more blanks become no-break spaces, which Markdown keeps.
std::string keepingBlanks(std::string_view line) {
  std::string out;
  size_t i = 0;
  for (; i < line.size() && line[i] == '\t'; ++i)
    for (int n = 0; n < blanksPerTab; ++n) out += noBreakSpace;
  while (i < line.size()) {
    if (line[i] != ' ' || i + 1 >= line.size() || line[i + 1] != ' ') {
      out += line[i++];
      continue;
    }
    while (i < line.size() && line[i] == ' ') {
      out += noBreakSpace;
      ++i;
    }
  }
  return out;
}

// Keeps a widget's text in its palette's dimmed text colour: the colour is set again whenever the palette the
// widget inherits changes (a switch between light and dark), as the symbol icons take theirs when painted.
class SecondaryTextColour : public QObject {
 public:
  explicit SecondaryTextColour(QWidget& widget) : QObject(&widget) { widget.installEventFilter(this); }

  static void apply(QWidget& widget) {
    QPalette palette = widget.palette();
    const QColor dimmed = palette.color(QPalette::PlaceholderText);
    // Setting the palette sends another change; it finds the colours in place and stops there.
    if (palette.color(QPalette::WindowText) == dimmed && palette.color(QPalette::Text) == dimmed) return;
    palette.setColor(QPalette::WindowText, dimmed);
    palette.setColor(QPalette::Text, dimmed);
    widget.setPalette(palette);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::PaletteChange && watched == parent()) apply(*static_cast<QWidget*>(watched));
    return false;
  }
};

}  // namespace

double systemFontSize() {
  static const double size = QApplication::font().pointSizeF() > 0 ? QApplication::font().pointSizeF() : 10.0;
  return size;
}

double smallSystemFontSize() {
  static const double size = systemFontSize() * 11.0 / 13.0;
  return size;
}

void applySecondaryTextStyle(QWidget& widget, double pointSize) {
  QFont font = widget.font();
  font.setPointSizeF(pointSize);
  widget.setFont(font);
  if (widget.findChild<SecondaryTextColour*>(QString(), Qt::FindDirectChildrenOnly) == nullptr) {
    new SecondaryTextColour(widget);
  }
  SecondaryTextColour::apply(widget);
}

QLabel* markdownLabel(const std::string& markdown, QWidget* parent) {
  auto* label = new QLabel(parent);
  setMarkdownText(*label, markdown);
  label->setWordWrap(true);
  label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
  QObject::connect(label, &QLabel::linkActivated, label, [](const QString& link) {
    if (auto url = platform::Url::parse(link.toStdString())) openUrl(*url);
  });
  return label;
}

void setMarkdownText(QLabel& label, const std::string& markdown) {
  // Parsed here rather than by the label, whose Markdown takes raw HTML: "Press <Return> to send." shows whole.
  QTextDocument rendered;
  rendered.setMarkdown(
      QString::fromStdString(markdown),
      QTextDocument::MarkdownFeatures(QTextDocument::MarkdownDialectGitHub | QTextDocument::MarkdownNoHTML));
  label.setTextFormat(Qt::RichText);
  label.setText(QTextDocumentFragment(&rendered).toHtml());  // a fragment leaves the font to the label
  label.setAccessibleName(rendered.toPlainText().replace(QChar::LineSeparator, '\n').trimmed());
}

std::string markdownKeepingLines(std::string_view text) {
  std::vector<std::string_view> lines;
  for (size_t start = 0;;) {
    const size_t end = text.find('\n', start);
    lines.push_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  while (!lines.empty() && lines.back().empty()) lines.pop_back();  // they would show nothing

  // One paragraph whose lines end in hard breaks: two trailing blanks after a line of text, and a backslash alone
  // for a blank line, which Markdown would otherwise fold into the break between paragraphs.
  std::string out;
  for (size_t index = 0; index < lines.size(); ++index) {
    if (index > 0) out += lines[index - 1].empty() ? "\n" : "  \n";
    if (lines[index].empty()) {
      out += '\\';
      continue;
    }
    std::string kept = keepingBlanks(lines[index]);
    if (auto at = blockMarkerEscape(kept)) kept.insert(*at, 1, '\\');
    out += kept;
  }
  return out;
}

}  // namespace kit
