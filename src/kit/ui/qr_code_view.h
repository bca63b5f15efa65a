#pragma once

#include <QWidget>
#include <optional>
#include <string>
#include <vector>

namespace kit {

enum class QRCodeErrorCorrectionLevel { low, medium, quartile, high };

// The modules of a QR code, row by row (true = dark); none when the text cannot be encoded.
struct QRCodeMatrix {
  int size = 0;
  std::vector<bool> modules;
  bool isDark(int x, int y) const { return modules[static_cast<size_t>(y * size + x)]; }
};
std::optional<QRCodeMatrix> qrCodeMatrix(const std::string& text, QRCodeErrorCorrectionLevel level);

// Draws the QR code of a text, scaled to whole pixels per module and centred in the view.
class QRCodeView : public QWidget {
  Q_OBJECT

 public:
  QRCodeView(const std::string& text, QRCodeErrorCorrectionLevel level, QWidget* parent = nullptr);
  QSize sizeHint() const override;
  const std::optional<QRCodeMatrix>& matrix() const { return matrix_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::optional<QRCodeMatrix> matrix_;
};

}  // namespace kit
