#include "kit/preferences/color_bridge.h"

#include <QByteArray>
#include <QDataStream>
#include <QIODevice>
#include <QString>
#include <iostream>

namespace kit::Preferences {

namespace {

const QString archiveTag = QStringLiteral("QColor");
constexpr QDataStream::Version archiveVersion = QDataStream::Qt_6_4;

}  // namespace

std::optional<Data> ColorBridge::serialize(const std::optional<QColor>& color) {
  if (!color || !color->isValid()) return std::nullopt;
  QByteArray bytes;
  QDataStream out(&bytes, QIODevice::WriteOnly);
  out.setVersion(archiveVersion);
  out << archiveTag << *color;
  if (out.status() != QDataStream::Ok) return std::nullopt;
  return Data{std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()))};
}

std::optional<QColor> ColorBridge::deserialize(const std::optional<Data>& archive) {
  if (!archive) return std::nullopt;
  QByteArray bytes(archive->bytes.data(), static_cast<qsizetype>(archive->bytes.size()));
  QDataStream in(bytes);
  in.setVersion(archiveVersion);
  QString tag;
  QColor color;
  in >> tag;
  if (in.status() == QDataStream::Ok && tag == archiveTag) in >> color;
  if (in.status() != QDataStream::Ok || tag != archiveTag || !in.atEnd() || !color.isValid()) {
    std::cout << "The data couldn\u2019t be read because it isn\u2019t in the correct format." << std::endl;
    return std::nullopt;
  }
  return color;
}

}  // namespace kit::Preferences
