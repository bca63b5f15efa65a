#pragma once

#include <QColor>

#include "kit/preferences/archive_bridge.h"

namespace kit::Preferences {

// A colour as its archive, with its colour model and 16-bit components, so it reads back equal. An invalid colour
// has none.
using ColorBridge = NSSecureCodingBridge<QColor>;

template <>
struct Serializable<QColor> : StoredAsArchivable<QColor> {};

}  // namespace kit::Preferences
