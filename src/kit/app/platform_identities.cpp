#include "kit/app/platform_identities.h"

#include <QCryptographicHash>
#include <QScreen>

namespace kit {

std::string identity(const Error& error) {
  return std::to_string(error.code()) + error.domain() + error.localizedDescription() +
         error.recoverySuggestion().value_or("");
}

std::vector<uint8_t> fileIdentity(std::span<const uint8_t> data, std::string_view fileName) {
  const QByteArray digest = QCryptographicHash::hash(
      QByteArrayView(reinterpret_cast<const char*>(data.data()), static_cast<qsizetype>(data.size())),
      QCryptographicHash::Sha256);
  std::vector<uint8_t> result(digest.begin(), digest.end());
  result.insert(result.end(), fileName.begin(), fileName.end());
  return result;
}

std::pair<std::string, std::string> identity(const QScreen& screen) {
  return {screen.name().toStdString(), screen.serialNumber().toStdString()};
}

namespace {
constexpr std::array<std::string_view, 7> weekdayRawValues = {"sun", "mon", "tue", "wed", "thu", "fri", "sat"};
}

std::string rawValue(Weekday day) { return std::string(weekdayRawValues[static_cast<size_t>(day)]); }

std::optional<Weekday> weekday(std::string_view raw) {
  for (Weekday day : allWeekdays)
    if (weekdayRawValues[static_cast<size_t>(day)] == raw) return day;
  return std::nullopt;
}

}  // namespace kit
