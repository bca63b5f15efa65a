#include "kit/app/display.h"

#include <QGuiApplication>
#include <QScreen>

#include "kit/app/platform_identities.h"

namespace kit {

namespace {

// The namespace of the name-based ids of screens (a fixed, randomly chosen UUID of this program).
const QUuid screenNamespace = QUuid::fromString(QStringLiteral("6d2f5a0c-94a1-4f47-b6b3-1b0e8c6a2e51"));

}  // namespace

Display Display::forScreen(const QScreen& screen) {
  const auto [name, serialNumber] = identity(screen);
  return Display{QUuid::createUuidV5(screenNamespace, QString::fromStdString(name + '\n' + serialNumber))};
}

QScreen* Display::screen() const {
  if (qGuiApp == nullptr) return nullptr;
  for (QScreen* screen : QGuiApplication::screens())
    if (forScreen(*screen) == *this) return screen;
  return nullptr;
}

Json encodeDisplay(const Display& display) {
  return Json{{"id", display.id.toString(QUuid::WithoutBraces).toUpper().toStdString()}};
}

Display decodeDisplay(const Json& json, const CodingPath& path) {
  const Json& object = keyedContainer(json, path, "Display");
  const auto text = decodeMember<std::string>(object, "id", path);
  auto id = Preferences::UUIDBridge::deserialize(text);
  if (!id) {
    CodingPath idPath = path;
    idPath.push_back("id");
    throw DecodingError(DecodingError::Kind::dataCorrupted, idPath,
                        "Attempted to decode UUID from invalid UUID string.");
  }
  return Display{*id};
}

}  // namespace kit
