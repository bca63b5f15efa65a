#include "kit/foundation/text_from_key.h"

#include <QCoreApplication>

namespace kit::Text {

std::string fromKey(std::string_view key) {
  const std::string terminated(key);
  return QCoreApplication::translate(translationContext, terminated.c_str()).toStdString();
}

std::string fromKey(std::string_view key, const std::vector<std::string>& arguments) {
  const std::string format = fromKey(key);
  constexpr std::string_view placeholder = "%@";
  std::string text;
  size_t position = 0;
  for (const std::string& argument : arguments) {
    const size_t found = format.find(placeholder, position);
    if (found == std::string::npos) break;
    text.append(format, position, found - position).append(argument);
    position = found + placeholder.size();
  }
  return text.append(format, position);
}

}  // namespace kit::Text
