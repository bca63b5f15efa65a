#include "kit/app/keyboard_input_source.h"

#include <QUuid>

namespace kit {

KeyboardInputSource::KeyboardInputSource(const platform::InputSource& source)
    : id(source.id ? *source.id : QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper().toStdString()),
      localizedName(source.localizedName.value_or("<Unknown>")) {}

std::string KeyboardInputSource::description() const { return localizedName + " (" + id + ")"; }

}  // namespace kit
