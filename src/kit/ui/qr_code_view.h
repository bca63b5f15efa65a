#pragma once

#include <QImage>
#include <QWidget>
#include <optional>
#include <string>
#include <vector>

namespace kit {

enum class QRCodeErrorCorrectionLevel { low, medium, quartile, high };

// "L", "M", "Q" or "H".
char letter(QRCodeErrorCorrectionLevel level);

// The modules of a QR code, row by row (true = dark), of a text encoded as ISO Latin-1; none when the text has a
// character outside ISO Latin-1.
struct QRCodeMatrix {
  int size = 0;
  std::vector<bool> modules;
  bool isDark(int x, int y) const {
    return modules[static_cast<size_t>(y) * static_cast<size_t>(size) + static_cast<size_t>(x)];
  }
};
std::optional<QRCodeMatrix> qrCodeMatrix(const std::string& text, QRCodeErrorCorrectionLevel level);

// The code as an image of one pixel per module, with a quiet zone of four modules: the modules in `color`, the
// rest transparent, and the centre image (when given) drawn over its middle. None when the text cannot be encoded.
std::optional<QImage> qrCodeImage(const std::string& text, QRCodeErrorCorrectionLevel level, const QColor& color,
                                  const std::optional<QImage>& centerImage = std::nullopt);

// Draws the QR code of a text as large as fits, centred, with hard module edges: black modules in a light palette
// and white ones in a dark palette (repainted when the palette changes), on a transparent background. Nothing for a
// text outside ISO Latin-1.
class QRCodeView : public QWidget {
  Q_OBJECT

 public:
  QRCodeView(const std::string& text, QRCodeErrorCorrectionLevel level, QWidget* parent = nullptr);
  QSize sizeHint() const override;
  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override { return width; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::string text_;
  QRCodeErrorCorrectionLevel level_;
};

}  // namespace kit
