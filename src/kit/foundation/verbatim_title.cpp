#include "kit/foundation/verbatim_title.h"

namespace kit {

QString verbatimTitle(const QString& title) {
  QString text = title;
  return text.replace(QLatin1Char('&'), QLatin1String("&&"));
}

QString verbatimTitle(std::string_view title) {
  return verbatimTitle(QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size())));
}

QString shownTitle(const QString& text) {
  QString shown;
  shown.reserve(text.size());
  for (qsizetype index = 0; index < text.size(); ++index) {
    if (text[index] != QLatin1Char('&')) {
      shown += text[index];
    } else if (index + 1 < text.size() && text[index + 1] == QLatin1Char('&')) {
      shown += QLatin1Char('&');
      ++index;
    }
  }
  return shown;
}

}  // namespace kit
