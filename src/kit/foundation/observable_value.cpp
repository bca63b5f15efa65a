#include "kit/foundation/observable_value.h"

#include <QMetaMethod>
#include <QMetaProperty>

namespace kit::detail {

bool relayPropertyChanges(QObject* object, const char* property, PropertyChangeRelay* relay) {
  if (object == nullptr) return false;
  const QMetaObject* type = object->metaObject();
  int index = type->indexOfProperty(property);
  if (index < 0 || !type->property(index).hasNotifySignal()) return false;
  QMetaMethod slot = relay->metaObject()->method(relay->metaObject()->indexOfSlot("propertyChanged()"));
  return static_cast<bool>(QObject::connect(object, type->property(index).notifySignal(), relay, slot));
}

}  // namespace kit::detail
