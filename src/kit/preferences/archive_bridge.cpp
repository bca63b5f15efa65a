#include "kit/preferences/archive_bridge.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include "platform/core/log_sink.h"

namespace kit::Preferences::detail {

namespace {

constexpr QDataStream::Version archiveVersion = QDataStream::Qt_6_4;

}  // namespace

std::optional<Data> archive(const char* tag, const std::function<void(QDataStream&)>& write) {
  QByteArray bytes;
  QDataStream out(&bytes, QIODevice::WriteOnly);
  out.setVersion(archiveVersion);
  out << QString::fromLatin1(tag);
  write(out);
  if (out.status() != QDataStream::Ok) return std::nullopt;
  return Data{std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()))};
}

bool unarchive(const Data& archive, const char* tag, const std::function<bool(QDataStream&)>& read) {
  QByteArray bytes(archive.bytes.data(), static_cast<qsizetype>(archive.bytes.size()));
  QDataStream in(bytes);
  in.setVersion(archiveVersion);
  QString archivedTag;
  in >> archivedTag;
  bool sound = in.status() == QDataStream::Ok && archivedTag == QLatin1String(tag) && read(in) &&
               in.status() == QDataStream::Ok && in.atEnd();
  if (!sound)
    platform::printLineToStandardOutput("The data couldn\u2019t be read because it isn\u2019t in the correct format.");
  return sound;
}

}  // namespace kit::Preferences::detail
