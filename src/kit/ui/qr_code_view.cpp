#include "kit/ui/qr_code_view.h"

#include <qrencode.h>

#include <QPainter>

namespace kit {

std::optional<QRCodeMatrix> qrCodeMatrix(const std::string& text, QRCodeErrorCorrectionLevel level) {
  QRecLevel recLevel = QR_ECLEVEL_M;
  switch (level) {
    case QRCodeErrorCorrectionLevel::low:
      recLevel = QR_ECLEVEL_L;
      break;
    case QRCodeErrorCorrectionLevel::medium:
      recLevel = QR_ECLEVEL_M;
      break;
    case QRCodeErrorCorrectionLevel::quartile:
      recLevel = QR_ECLEVEL_Q;
      break;
    case QRCodeErrorCorrectionLevel::high:
      recLevel = QR_ECLEVEL_H;
      break;
  }
  QRcode* code = QRcode_encodeData(static_cast<int>(text.size()), reinterpret_cast<const unsigned char*>(text.data()),
                                   0, recLevel);
  if (!code) return std::nullopt;
  QRCodeMatrix matrix;
  matrix.size = code->width;
  matrix.modules.reserve(static_cast<size_t>(code->width) * static_cast<size_t>(code->width));
  for (int i = 0; i < code->width * code->width; ++i) matrix.modules.push_back((code->data[i] & 1) != 0);
  QRcode_free(code);
  return matrix;
}

QRCodeView::QRCodeView(const std::string& text, QRCodeErrorCorrectionLevel level, QWidget* parent)
    : QWidget(parent), matrix_(qrCodeMatrix(text, level)) {
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

QSize QRCodeView::sizeHint() const { return {300, 300}; }

void QRCodeView::paintEvent(QPaintEvent*) {
  if (!matrix_ || matrix_->size == 0) return;
  QPainter painter(this);
  // A quiet zone of four modules on each side, as scanners expect.
  const int modulesWithMargin = matrix_->size + 8;
  const int side = std::min(width(), height());
  const int scale = std::max(1, side / modulesWithMargin);
  const int drawn = scale * modulesWithMargin;
  const QPoint origin((width() - drawn) / 2 + 4 * scale, (height() - drawn) / 2 + 4 * scale);
  painter.fillRect(QRect((width() - drawn) / 2, (height() - drawn) / 2, drawn, drawn), Qt::white);
  for (int y = 0; y < matrix_->size; ++y) {
    for (int x = 0; x < matrix_->size; ++x) {
      if (matrix_->isDark(x, y))
        painter.fillRect(origin.x() + x * scale, origin.y() + y * scale, scale, scale, Qt::black);
    }
  }
}

}  // namespace kit
