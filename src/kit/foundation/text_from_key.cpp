#include "kit/foundation/text_from_key.h"

#include <QCoreApplication>

namespace kit::Text {

std::string fromKey(std::string_view key) {
  const std::string terminated(key);
  return QCoreApplication::translate(translationContext, terminated.c_str()).toStdString();
}

}  // namespace kit::Text
