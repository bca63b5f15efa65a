#include "kit/ui/native_button.h"

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QShortcut>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QTextDocument>

#include "kit/foundation/verbatim_title.h"
#include "kit/ui/action_callbacks.h"
#include "kit/ui/color_components.h"
#include "kit/ui/palette_roles.h"
#include "kit/ui/text_styles.h"

namespace kit {

namespace {

double fontScale(ControlSize size) {
  switch (size) {
    case ControlSize::mini:
      return 9.0 / 13.0;
    case ControlSize::small:
      return 11.0 / 13.0;
    case ControlSize::regular:
      return 1.0;
    case ControlSize::large:
      return 15.0 / 13.0;
  }
  return 1.0;
}

// Return and Enter press the button of a window whose key equivalent is Return once the key reaches the window, that
// is, when the focused widget passed it on (a line edit does; a multi-line editor keeps it). Qt does this inside a
// QDialog only; a filter of the application sees each key press on its way up to the window.
class ReturnKeyEquivalent final : public QObject {
 public:
  static void install() {
    static ReturnKeyEquivalent* filter = nullptr;
    if (filter || !QCoreApplication::instance()) return;
    filter = new ReturnKeyEquivalent(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(filter);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
    auto* window = static_cast<QWidget*>(watched);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (!window->isWindow() || (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) ||
        (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
      return false;
    const QList<NativeButton*> buttons = window->findChildren<NativeButton*>();
    for (NativeButton* button : buttons) {
      if (button->window() != window || !button->isVisible() || !button->isEnabled() ||
          button->description().keyEquivalent != KeyEquivalent::return_)
        continue;
      event->accept();
      button->click();
      return true;
    }
    return false;
  }

 private:
  using QObject::QObject;
};

}  // namespace

std::string_view rawValue(KeyEquivalent key) { return key == KeyEquivalent::escape ? "\x1b" : "\r"; }

std::optional<KeyEquivalent> keyEquivalentFromRaw(std::string_view raw) {
  if (raw == rawValue(KeyEquivalent::escape)) return KeyEquivalent::escape;
  if (raw == rawValue(KeyEquivalent::return_)) return KeyEquivalent::return_;
  return std::nullopt;
}

QColor destructiveTitleColor(const QPalette& palette) {
  QColor red =
      palette.color(QPalette::Active, QPalette::Text).lightness() > 128 ? QColor(255, 105, 97) : QColor(215, 0, 21);
  return adjusting(red, 0, -0.3, 0, 0);
}

NativeButton::NativeButton(Description description, QWidget* parent)
    : QPushButton(parent), attributedTitle_(new QTextDocument(this)) {
  attributedTitle_->setDocumentMargin(0);
  setDescription(std::move(description));
}

void NativeButton::setDescription(Description description) {
  description_ = std::move(description);
  // The running call holds its action, which may delete the button (a "Remove" that takes its row away).
  setOnAction(*this, [action = description_.action](const platform::Event&) {
    if (action) action();
  });
  const bool isHelp = description_.bezelStyle == BezelStyle::help;
  const bool isAttributed = isAttributedTitle();
  attributedTitle_->setHtml(isAttributed ? *description_.attributedTitle : QString());
  // A styled title is painted from its document; the button keeps no plain text that would be painted over it.
  setText(isHelp || isAttributed ? QString() : verbatimTitle(description_.title.value_or("")));
  // The name read out is the title shown; a plain title names the button through its text.
  if (isHelp) {
    setAccessibleName(QString::fromStdString(description_.title.value_or("")));
  } else {
    setAccessibleName(isAttributed ? attributedTitle_->toPlainText() : QString());
  }

  setSizePolicy(description_.isResizable && !isHelp ? QSizePolicy::Expanding : QSizePolicy::Fixed, QSizePolicy::Fixed);

  setDefault(description_.keyEquivalent == KeyEquivalent::return_);
  setAutoDefault(description_.keyEquivalent == KeyEquivalent::return_);
  if (description_.keyEquivalent == KeyEquivalent::return_) ReturnKeyEquivalent::install();
  if (description_.keyEquivalent == KeyEquivalent::escape && !escape_) {
    escape_ = new QShortcut(QKeySequence(Qt::Key_Escape), this, this, &QPushButton::click, Qt::WindowShortcut);
  }
  if (escape_) escape_->setEnabled(description_.keyEquivalent == KeyEquivalent::escape);

  applyTitleColor();

  if (description_.controlSize) {
    QFont font = this->font();
    font.setPointSizeF(systemFontSize() * fontScale(*description_.controlSize));
    setFont(font);
  } else {
    setFont(QFont());
  }
  attributedTitle_->setDefaultFont(font());
  updateGeometry();
  update();
}

void NativeButton::changeEvent(QEvent* event) {
  QPushButton::changeEvent(event);
  if (event->type() == QEvent::PaletteChange) applyTitleColor();
}

void NativeButton::applyTitleColor() {
  const bool tinted = description_.hasDestructiveAction && !isAttributedTitle();
  if (tinted) {
    // The red of each palette the button inherits (a switch between light and dark); setting it sends another
    // change, which finds the colour in place and stops there.
    QPalette palette = this->palette();
    const QColor red = destructiveTitleColor(palette);
    if (palette.isBrushSet(QPalette::Active, QPalette::ButtonText) && palette.color(QPalette::ButtonText) == red)
      return;
    palette.setColor(QPalette::ButtonText, red);
    setPalette(palette);
  } else if (tinted_) {
    inheritColorRole(*this, QPalette::ButtonText);  // other colours set on the button stay
  }
  tinted_ = tinted;
}

int NativeButton::helpDiameter() const { return fontMetrics().height() + 6; }

QSize NativeButton::sizeHint() const {
  if (description_.bezelStyle == BezelStyle::help) return {helpDiameter(), helpDiameter()};
  if (attributedTitle_->isEmpty()) return QPushButton::sizeHint();
  QStyleOptionButton option;
  initStyleOption(&option);
  const QSize title = attributedTitle_->size().toSize();
  return style()->sizeFromContents(QStyle::CT_PushButton, &option, title, this);
}

QSize NativeButton::minimumSizeHint() const {
  if (description_.bezelStyle != BezelStyle::help) return QPushButton::minimumSizeHint();
  return sizeHint();
}

void NativeButton::paintEvent(QPaintEvent* event) {
  if (description_.bezelStyle == BezelStyle::help) {
    paintHelp();
  } else if (!attributedTitle_->isEmpty()) {
    paintAttributedTitle();
  } else {
    QPushButton::paintEvent(event);
  }
}

void NativeButton::paintAttributedTitle() {
  QStylePainter painter(this);
  QStyleOptionButton option;
  initStyleOption(&option);
  painter.drawControl(QStyle::CE_PushButtonBevel, option);
  const QRect contents = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
  const QSizeF title = attributedTitle_->size();
  painter.translate(contents.x() + (contents.width() - title.width()) / 2,
                    contents.y() + (contents.height() - title.height()) / 2);
  // Text without a colour of its own takes the button's.
  QAbstractTextDocumentLayout::PaintContext context;
  context.palette.setColor(QPalette::Text,
                           palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
  attributedTitle_->documentLayout()->draw(&painter, context);
}

void NativeButton::paintHelp() {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF circle = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  const QPalette& colours = palette();
  painter.setPen(QPen(colours.color(QPalette::Mid), 1));
  painter.setBrush(isDown() ? colours.color(QPalette::Mid) : colours.color(QPalette::Button));
  painter.drawEllipse(circle);
  if (hasFocus()) {
    painter.setPen(QPen(colours.color(QPalette::Highlight), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(circle.adjusted(1, 1, -1, -1));
  }
  QFont mark = font();
  mark.setBold(true);
  painter.setFont(mark);
  painter.setPen(colours.color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
  painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("?"));
}

}  // namespace kit
