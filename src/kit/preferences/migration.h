#pragma once

#include <string>
#include <vector>

#include "kit/preferences/key.h"

namespace kit::Preferences {

enum class Version { v5 = 5 };

// Converts values an earlier store kept as JSON text (the whole text is the JSON document) into their
// current stored form. A key without stored text, or whose text does not decode, keeps what it has.
template <JsonCodable T>
void migrate(const std::vector<const Key<T>*>& keys, Version) {
  for (const auto* key : keys) {
    auto text = storedValue<std::string>(key->suite(), key->name());
    if (!text || !key->suite().persistentDomain().count(key->name())) continue;
    Json json = Json::parse(*text, nullptr, false);
    if (json.is_discarded()) continue;
    auto value = JsonCodec<T>::decode(json);
    if (!value) continue;
    set(*key, *value);
  }
}

}  // namespace kit::Preferences
