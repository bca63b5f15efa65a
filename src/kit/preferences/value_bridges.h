#pragma once

#include <QUuid>
#include <optional>
#include <string>

#include "kit/preferences/serializable.h"

namespace kit::Preferences {

// A UUID as its upper-case text; text that is not a UUID reads as none.
struct UUIDBridge {
  using Value = QUuid;
  using Stored = std::string;
  static std::optional<Stored> serialize(const std::optional<QUuid>& v) {
    if (!v) return std::nullopt;
    return v->toString(QUuid::WithoutBraces).toUpper().toStdString();
  }
  static std::optional<QUuid> deserialize(const std::optional<Stored>& s) {
    if (!s || s->size() != 36) return std::nullopt;
    QUuid uuid = QUuid::fromString(QString::fromStdString(*s));
    if (uuid.isNull() && *s != "00000000-0000-0000-0000-000000000000") return std::nullopt;
    return uuid;
  }
};

template <>
struct Serializable<QUuid> {
  static constexpr bool storesNatively = false;
  using Bridge = UUIDBridge;
};

}  // namespace kit::Preferences
