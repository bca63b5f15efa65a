#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "kit/preferences/key.h"

namespace kit::Preferences {

// The store version that values are migrated to.
enum class Version { v5 = 5 };

// The version of that raw value: 5 is the only one; any other number gives none.
constexpr std::optional<Version> version(int64_t rawValue) {
  if (rawValue == static_cast<int64_t>(Version::v5)) return Version::v5;
  return std::nullopt;
}

// Converts values an earlier store kept as JSON text into their current stored form. The whole text is the JSON
// document of the key's codable form (for most types the value itself), which is turned into the value. A key
// without stored text, or whose text does not decode or convert, keeps what it has; the other keys still migrate.
template <class T>
requires JsonCodable<typename CodableForm<T>::Type>
void migrate(const std::vector<const Key<T>*>& keys, Version) {
  using Form = CodableForm<T>;
  for (const auto* key : keys) {
    auto text = storedValue<std::string>(key->suite(), key->name());
    if (!text || !key->suite().persistentDomain().count(key->name())) continue;
    Json json = Json::parse(*text, nullptr, false);
    if (json.is_discarded()) continue;
    auto form = JsonCodec<typename Form::Type>::decode(json);
    if (!form) continue;
    auto value = Form::toNative(*form);
    if (!value) continue;
    set(*key, *value);
  }
}

// The same for keys listed in place: migrate({&first, &second}, Version::v5).
template <class T>
void migrate(std::initializer_list<const Key<T>*> keys, Version version) {
  migrate(std::vector<const Key<T>*>(keys), version);
}

}  // namespace kit::Preferences
