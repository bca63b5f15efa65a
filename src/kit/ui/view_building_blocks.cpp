#include "kit/ui/view_building_blocks.h"

#include <QAbstractTextDocumentLayout>
#include <QGraphicsEffect>
#include <QLabel>
#include <QPainter>
#include <QStyle>
#include <QTextDocument>
#include <QTextOption>
#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

namespace kit {

namespace {

// Keeps a wrapping label tall enough for all its lines at the width it has, and breaks a word wider than a line
// where it reaches the edge (a label wraps only between words, and a window gives a label no more height than
// its layout's minimum).
class MultilineText final : public QObject {
 public:
  explicit MultilineText(QLabel& label) : QObject(&label), label_(label) { label.installEventFilter(this); }

  void fit() {
    // Laid out again only when what the lines depend on changed: fit() runs at every paint.
    LinesOf lines{label_.text(), label_.textFormat(), label_.font(), textWidth()};
    if (lines != fitted_) {
      QTextDocument text;
      layOut(text, QTextOption::WordWrap);
      breaksWords_ = text.idealWidth() > textWidth();
      layOut(text, QTextOption::WrapAtWordBoundaryOrAnywhere);
      textHeight_ = static_cast<int>(std::ceil(text.size().height()));
      fitted_ = std::move(lines);
    }
    const QMargins margins = label_.contentsMargins();
    const int height = textHeight_ + margins.top() + margins.bottom() + 2 * label_.margin();
    if (label_.minimumHeight() != height) label_.setMinimumHeight(height);
  }

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Resize || event->type() == QEvent::FontChange) fit();
    if (event->type() != QEvent::Paint) return false;
    fit();  // also after a new text, which the label tells no one
    // The label draws its text itself where every word fits on a line, with its links' focus.
    if (!breaksWords_) return false;
    QTextDocument text;
    layOut(text, QTextOption::WrapAtWordBoundaryOrAnywhere);
    const QRect area = label_.contentsRect().marginsRemoved(
        QMargins(label_.margin(), label_.margin(), label_.margin(), label_.margin()));
    const int height = static_cast<int>(std::ceil(text.size().height()));
    int top = area.top();
    if (label_.alignment() & Qt::AlignVCenter) top += (area.height() - height) / 2;
    if (label_.alignment() & Qt::AlignBottom) top += area.height() - height;
    QPainter painter(&label_);
    painter.translate(area.left(), top);
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette = label_.palette();
    context.palette.setColor(QPalette::Text, label_.palette().color(label_.foregroundRole()));
    text.documentLayout()->draw(&painter, context);
    return true;
  }

 private:
  int textWidth() const { return std::max(1, label_.contentsRect().width() - 2 * label_.margin()); }

  void layOut(QTextDocument& text, QTextOption::WrapMode wrap) const {
    text.setDefaultFont(label_.font());
    text.setDocumentMargin(0);
    QTextOption option(QStyle::visualAlignment(label_.layoutDirection(), label_.alignment()) &
                       Qt::AlignHorizontal_Mask);
    option.setWrapMode(wrap);
    text.setDefaultTextOption(option);
    const Qt::TextFormat format = label_.textFormat();
    if (format == Qt::MarkdownText) {
      text.setMarkdown(label_.text());
    } else if (format == Qt::RichText || (format == Qt::AutoText && Qt::mightBeRichText(label_.text()))) {
      text.setHtml(label_.text());
    } else {
      text.setPlainText(label_.text());
    }
    text.setTextWidth(textWidth());
  }

  // What the height of the lines depends on.
  struct LinesOf {
    QString text;
    Qt::TextFormat format;
    QFont font;
    int width;
    bool operator==(const LinesOf&) const = default;
  };

  QLabel& label_;
  std::optional<LinesOf> fitted_;
  int textHeight_ = 0;
  bool breaksWords_ = false;  // a word is wider than a line: drawn here, broken at the edge
};

}  // namespace

void setMultilineFixedSize(QLabel& label) {
  label.setWordWrap(true);
  QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Minimum);
  policy.setHeightForWidth(true);
  label.setSizePolicy(policy);
  MultilineText* text = nullptr;
  for (QObject* child : label.children())
    if (auto* found = dynamic_cast<MultilineText*>(child)) text = found;
  if (text == nullptr) text = new MultilineText(label);
  text->fit();
}

namespace {

// Cuts the mask out of what the widget draws, each time it draws, at the size it has then.
class ReverseMaskEffect final : public QGraphicsEffect {
 public:
  ReverseMaskEffect(QImage mask, Qt::Alignment alignment, QObject* parent)
      : QGraphicsEffect(parent), mask_(std::move(mask)), alignment_(alignment) {}

 protected:
  void draw(QPainter* painter) override {
    QPoint offset;
    const QPixmap source = sourcePixmap(Qt::LogicalCoordinates, &offset, QGraphicsEffect::NoPad);
    if (source.isNull()) return;
    QImage shown = source.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QRect bounds = sourceBoundingRect(Qt::LogicalCoordinates).toAlignedRect();
    const QRect placed =
        QStyle::alignedRect(Qt::LeftToRight, alignment_, mask_.deviceIndependentSize().toSize(), bounds);
    QPainter cutting(&shown);
    cutting.setCompositionMode(QPainter::CompositionMode_DestinationOut);
    cutting.drawImage(placed.translated(-offset), mask_);
    cutting.end();
    painter->drawImage(offset, shown);
  }

 private:
  QImage mask_;
  Qt::Alignment alignment_;
};

}  // namespace

void setReverseMask(QWidget& widget, const QImage& mask, Qt::Alignment alignment) {
  widget.setGraphicsEffect(new ReverseMaskEffect(mask, alignment, &widget));
}

}  // namespace kit
