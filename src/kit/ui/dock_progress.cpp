#include "kit/ui/dock_progress.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <cmath>
#include <cstdlib>

#include "kit/foundation/attributed_text.h"
#include "kit/ui/app_icon.h"
#include "kit/ui/path_shapes.h"
#include "platform/system/launcher_entry.h"

namespace kit {

TaskProgress::TaskProgress(int64_t totalUnitCount, QObject* parent)
    : QObject(parent), total_(std::max<int64_t>(0, totalUnitCount)) {}

double TaskProgress::fractionCompleted() const {
  if (total_ == 0) return 0;
  return std::clamp(static_cast<double>(completed_) / static_cast<double>(total_), 0.0, 1.0);
}

bool TaskProgress::isFinished() const { return total_ > 0 && completed_ >= total_; }

void TaskProgress::setCompletedUnitCount(int64_t count) {
  const bool wasFinished = isFinished();
  if (completed_.exchange(count) == count) return;
  Q_EMIT fractionCompletedChanged();
  if (isFinished() != wasFinished) Q_EMIT finishedChanged();
}

namespace {

constexpr int tileSide = 128;

struct State {
  QPointer<TaskProgress> tracked;
  QObject observer;  // the context of the tracked task's connections, on the main thread
  double progress = 0;
  double lastDrawnProgress = 0;
  DockProgress::Style style = DockProgress::Bar{};
  QImage tile;
  platform::LauncherEntry* launcherEntry = nullptr;
};

State& state() {
  static auto* shared = new State;  // lives for the process
  return *shared;
}

// The first `fraction` of a path's length.
QPainterPath leadingPart(const QPainterPath& path, double fraction) {
  QPainterPath part;
  fraction = std::clamp(fraction, 0.0, 1.0);
  if (fraction == 0) return part;
  constexpr int steps = 240;
  part.moveTo(path.pointAtPercent(0));
  for (int i = 1; i <= steps; ++i)
    part.lineTo(path.pointAtPercent(path.percentAtLength(path.length() * fraction * i / steps)));
  return part;
}

// Strokes the first `fraction` of the path's length.
void strokeLeadingPart(QPainter& painter, const QPainterPath& path, double fraction, const QPen& pen) {
  painter.setPen(pen);
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(leadingPart(path, fraction));
}

void drawBar(QPainter& painter, const QRectF& tile, double p) {
  // Near the bottom: 20 above the lower edge, 10 high.
  QRectF bar(tile.left(), tile.bottom() - 30, tile.width(), 10);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor::fromRgbF(1, 1, 1, 0.8));
  painter.drawRoundedRect(bar, 5, 5);
  bar.adjust(0.5, 0.5, -0.5, -0.5);
  painter.setBrush(QColor::fromRgbF(0, 0, 0, 0.8));
  painter.drawRoundedRect(bar, bar.height() / 2, bar.height() / 2);
  bar.adjust(0.5, 0.5, -0.5, -0.5);
  bar.setWidth(bar.width() * p);
  painter.setBrush(Qt::white);
  painter.drawRoundedRect(bar, bar.height() / 2, bar.height() / 2);
}

void drawBadge(QPainter& painter, const QRectF& tile, double p, const QColor& color, const std::string* text) {
  const double r = tile.width() / 4.8;
  const QPointF centre(tile.right() - r - 4, tile.bottom() - r - 4);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor::fromRgbF(0, 0, 0, 0.3));  // the shadow, up and to the left
  painter.drawEllipse(centre + QPointF(-1, -1), r, r);
  painter.setBrush(QColor::fromRgbF(0.94, 0.96, 1.0));
  painter.drawEllipse(centre, r, r);
  if (text != nullptr) {
    static constexpr int fontSizes[] = {30, 23, 19, 15};
    const platform::FontSpec& headline = headlineBoldFont();
    QFont font(QString::fromStdString(headline.family));
    font.setWeight(static_cast<QFont::Weight>(headline.weight));
    font.setPixelSize(fontSizes[std::clamp<size_t>(text->size(), 1, 4) - 1]);
    painter.setFont(font);
    painter.setPen(QColor::fromRgbF(0.23, 0.23, 0.24));
    const double h = 2 * r - 5;
    painter.drawText(QRectF(centre.x() - h / 2, centre.y() - h / 2, h, h), Qt::AlignCenter,
                     QString::fromStdString(*text));
  }
  const double ringWidth = text != nullptr ? 6 : r;
  strokeLeadingPart(painter, circle(r - 0.5 * ringWidth).translated(centre), p,
                    QPen(color, ringWidth, Qt::SolidLine, Qt::FlatCap));
}

struct OverlayDrawer {
  QPainter& painter;
  const QRectF& tile;
  double p;

  void operator()(const DockProgress::Bar&) const { drawBar(painter, tile, p); }
  void operator()(const DockProgress::Squircle& style) const {
    QRectF outline = tile.adjusted(14.4, 14.4, -14.4, -14.4);
    if (style.inset) outline.adjust(*style.inset, *style.inset, -*style.inset, -*style.inset);
    strokeLeadingPart(painter, squircle(outline, outline.width() / 2).toReversed(), p * 1.02,
                      QPen(style.color, 5, Qt::SolidLine, Qt::RoundCap));
  }
  void operator()(const DockProgress::Circle& style) const {
    strokeLeadingPart(painter, circle(style.radius).translated(tile.center()), p,
                      QPen(style.color, 4, Qt::SolidLine, Qt::RoundCap));
  }
  void operator()(const DockProgress::Badge& style) const {
    const std::string text = badgeText(style.badgeValue ? style.badgeValue() : 0);
    drawBadge(painter, tile, p, style.color, &text);
  }
  void operator()(const DockProgress::Pie& style) const { drawBadge(painter, tile, p, style.color, nullptr); }
  void operator()(const DockProgress::Custom& style) const {
    if (style.drawHandler) style.drawHandler(painter, tile);
  }
};

void redraw() {
  State& s = state();
  const QIcon icon = appIcon();
  QImage tile = icon.pixmap(tileSide, tileSide).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
  if (tile.isNull()) return;
  const bool underWay = s.progress > 0 && s.progress < 1;
  if (underWay) {
    QPainter painter(&tile);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform | QPainter::TextAntialiasing);
    std::visit(OverlayDrawer{painter, QRectF(tile.rect()), s.progress}, s.style);
  }
  s.tile = tile;
  if (qGuiApp != nullptr) QGuiApplication::setWindowIcon(underWay ? QIcon(QPixmap::fromImage(tile)) : icon);
  platform::LauncherEntry& entry = s.launcherEntry != nullptr ? *s.launcherEntry : platform::LauncherEntry::shared();
  entry.setProgress(underWay ? std::optional(s.progress) : std::nullopt);
}

}  // namespace

TaskProgress* DockProgress::trackedProgress() { return state().tracked.data(); }

void DockProgress::setTrackedProgress(TaskProgress* progress) {
  State& s = state();
  if (s.tracked) QObject::disconnect(s.tracked, nullptr, &s.observer, nullptr);
  s.tracked = progress;
  if (progress == nullptr) return reset();
  // Announced on any thread, read here on the main thread.
  QObject::connect(progress, &TaskProgress::fractionCompletedChanged, &s.observer, [progress = QPointer(progress)] {
    if (progress && !progress->isCancelled() && !progress->isFinished()) setProgress(progress->fractionCompleted());
  });
  QObject::connect(progress, &TaskProgress::finishedChanged, &s.observer, [progress = QPointer(progress)] {
    if (progress && !progress->isCancelled() && progress->isFinished()) setProgress(1.0);
  });
}

double DockProgress::progress() { return state().progress; }

void DockProgress::setProgress(double fraction) {
  State& s = state();
  s.progress = std::isfinite(fraction) ? fraction : 0;
  if (s.lastDrawnProgress == 0 || std::abs(s.progress - s.lastDrawnProgress) > 0.01) {
    s.lastDrawnProgress = s.progress;
    redraw();
  }
}

double DockProgress::lastDrawnProgress() { return state().lastDrawnProgress; }

const DockProgress::Style& DockProgress::style() { return state().style; }
void DockProgress::setStyle(Style style) { state().style = std::move(style); }

void DockProgress::reset() {
  setProgress(0);
  state().lastDrawnProgress = 0;
  redraw();
}

QImage DockProgress::tileImage() {
  State& s = state();
  if (s.tile.isNull()) return appIcon().pixmap(tileSide, tileSide).toImage();
  return s.tile;
}

void DockProgress::setLauncherEntry(platform::LauncherEntry* entry) { state().launcherEntry = entry; }

std::string badgeText(int64_t value) {
  // The magnitude of the smallest value has no int64_t: it is far beyond 9999 anyway.
  const uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  const std::string sign = value < 0 ? "-" : "";
  if (magnitude < 1000) return sign + std::to_string(magnitude);
  if (magnitude <= 9999) return sign + std::to_string(magnitude / 1000) + "k";
  return sign + "9k+";
}

}  // namespace kit
