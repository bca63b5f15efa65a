#include "kit/ui/qr_code_view.h"

#include <qrencode.h>

#include <QPainter>
#include <QString>

#include "kit/ui/dark_mode.h"
#include "kit/ui/image_compositing.h"

namespace kit {

namespace {

constexpr int quietZone = 4;  // modules of blank around the code, as scanners expect

// The text in ISO Latin-1; none when a character (or a malformed UTF-8 sequence) lies outside it.
std::optional<std::string> latin1(const std::string& text) {
  const QString decoded = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  std::string encoded;
  encoded.reserve(static_cast<size_t>(decoded.size()));
  for (QChar c : decoded) {
    if (c.unicode() > 0xFF) return std::nullopt;
    encoded.push_back(static_cast<char>(c.unicode()));
  }
  return encoded;
}

QRecLevel recLevel(QRCodeErrorCorrectionLevel level) {
  switch (level) {
    case QRCodeErrorCorrectionLevel::low:
      return QR_ECLEVEL_L;
    case QRCodeErrorCorrectionLevel::medium:
      break;
    case QRCodeErrorCorrectionLevel::quartile:
      return QR_ECLEVEL_Q;
    case QRCodeErrorCorrectionLevel::high:
      return QR_ECLEVEL_H;
  }
  return QR_ECLEVEL_M;
}

}  // namespace

char letter(QRCodeErrorCorrectionLevel level) {
  switch (level) {
    case QRCodeErrorCorrectionLevel::low:
      return 'L';
    case QRCodeErrorCorrectionLevel::medium:
      break;
    case QRCodeErrorCorrectionLevel::quartile:
      return 'Q';
    case QRCodeErrorCorrectionLevel::high:
      return 'H';
  }
  return 'M';
}

std::optional<QRCodeMatrix> qrCodeMatrix(const std::string& text, QRCodeErrorCorrectionLevel level) {
  const auto bytes = latin1(text);
  if (!bytes) return std::nullopt;
  QRcode* code = QRcode_encodeData(static_cast<int>(bytes->size()),
                                   reinterpret_cast<const unsigned char*>(bytes->data()), 0, recLevel(level));
  if (!code) return std::nullopt;
  QRCodeMatrix matrix;
  matrix.size = code->width;
  matrix.modules.reserve(static_cast<size_t>(code->width) * static_cast<size_t>(code->width));
  for (int i = 0; i < code->width * code->width; ++i) matrix.modules.push_back((code->data[i] & 1) != 0);
  QRcode_free(code);
  return matrix;
}

std::optional<QImage> qrCodeImage(const std::string& text, QRCodeErrorCorrectionLevel level, const QColor& color,
                                  const std::optional<QImage>& centerImage) {
  const auto matrix = qrCodeMatrix(text, level);
  if (!matrix) return std::nullopt;
  // Dark modules on an opaque light ground, one pixel each, then coloured: the ground becomes transparent.
  const int side = matrix->size + 2 * quietZone;
  QImage generated(side, side, QImage::Format_RGB32);
  generated.fill(Qt::white);
  for (int y = 0; y < matrix->size; ++y) {
    for (int x = 0; x < matrix->size; ++x) {
      if (matrix->isDark(x, y)) generated.setPixel(x + quietZone, y + quietZone, qRgb(0, 0, 0));
    }
  }
  auto code = tinted(generated, color);
  if (!code || !centerImage || centerImage->isNull()) return code;
  return centering(*code, *centerImage);
}

QRCodeView::QRCodeView(const std::string& text, QRCodeErrorCorrectionLevel level, QWidget* parent)
    : QWidget(parent), text_(text), level_(level) {
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

QSize QRCodeView::sizeHint() const { return {300, 300}; }

void QRCodeView::paintEvent(QPaintEvent*) {
  static const DynamicColor moduleColor([](bool isDark) { return isDark ? QColor(Qt::white) : QColor(Qt::black); });
  const QImage code = qrCodeImage(text_, level_, moduleColor.resolved(palette())).value_or(emptyImage());
  const int side = std::min(width(), height());
  QPainter painter(this);
  // Stretched without smoothing, so that the modules keep hard edges at any size.
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  painter.drawImage(QRect((width() - side) / 2, (height() - side) / 2, side, side), code);
}

}  // namespace kit
