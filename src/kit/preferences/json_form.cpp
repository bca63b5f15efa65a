#include "kit/preferences/json_form.h"

#include <QByteArray>
#include <cmath>

#include "platform/core/log_sink.h"

namespace kit::Preferences {

Json JsonCodec<platform::PlistData>::encode(const platform::PlistData& v) {
  auto base64 = QByteArray::fromRawData(v.bytes.data(), static_cast<qsizetype>(v.bytes.size())).toBase64();
  return std::string(base64.constData(), static_cast<std::size_t>(base64.size()));
}

std::optional<platform::PlistData> JsonCodec<platform::PlistData>::decode(const Json& j) {
  if (!j.is_string()) return std::nullopt;
  const auto& text = j.get_ref<const std::string&>();
  auto result = QByteArray::fromBase64Encoding(QByteArray(text.data(), static_cast<qsizetype>(text.size())),
                                               QByteArray::AbortOnBase64DecodingErrors);
  if (!result) return std::nullopt;
  const QByteArray& bytes = *result;
  return platform::PlistData{std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()))};
}

namespace detail {

namespace {
// A whole real is written as an integer ("1", not "1.0"), as the platform's encoder writes it; -0.0 keeps its sign.
void writeWholeRealsAsIntegers(Json& json) {
  if (json.is_structured()) {
    for (auto& item : json) writeWholeRealsAsIntegers(item);
    return;
  }
  if (!json.is_number_float()) return;
  const double d = json.get<double>();
  if (std::trunc(d) != d || (d == 0 && std::signbit(d))) return;
  if (d >= -0x1p63 && d < 0x1p63)
    json = static_cast<int64_t>(d);
  else if (d >= 0 && d < 0x1p64)
    json = static_cast<uint64_t>(d);
}
}  // namespace

std::optional<std::string> bareJsonText(Json valueAsArray) {
  writeWholeRealsAsIntegers(valueAsArray);
  // Invalid UTF-8 in a string makes dump() throw, which the caller reports as an encoding failure.
  std::string text = valueAsArray.dump();
  std::string escaped;
  escaped.reserve(text.size());
  for (char c : text) {
    if (c == '/') escaped += '\\';  // "/" can only occur inside strings
    escaped += c;
  }
  return escaped.substr(1, escaped.size() - 2);
}

std::string asJsonArray(std::string_view text) {
  std::string wrapped;
  wrapped.reserve(text.size() + 2);
  wrapped += '[';
  wrapped += text;
  wrapped += ']';
  return wrapped;
}

void printEncodingFailure(const std::exception& error) { platform::printLineToStandardOutput(error.what()); }

}  // namespace detail
}  // namespace kit::Preferences
