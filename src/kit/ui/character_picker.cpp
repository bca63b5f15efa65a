#include "kit/ui/character_picker.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStandardPaths>
#include <QTextEdit>
#include <QVariantMap>

#include "kit/foundation/log.h"
#include "platform/process/detached_process.h"

namespace kit {

namespace {

constexpr const char* gnomeCharactersName = "org.gnome.Characters";

bool busKnows(QDBusConnection& bus, const QString& name) {
  QDBusConnectionInterface* daemon = bus.isConnected() ? bus.interface() : nullptr;
  if (!daemon) return false;
  if (daemon->isServiceRegistered(name)) return true;
  const QDBusReply<QStringList> activatable = daemon->activatableServiceNames();
  return activatable.isValid() && activatable.value().contains(name);
}

bool activateGnomeCharacters(QDBusConnection& bus) {
  const QString name = QString::fromLatin1(gnomeCharactersName);
  if (!busKnows(bus, name)) return false;
  QDBusMessage activate =
      QDBusMessage::createMethodCall(name, "/org/gnome/Characters", "org.freedesktop.Application", "Activate");
  activate << QVariantMap{};
  // The bus starts it when it is not running; the answer is not waited for.
  return bus.send(activate);
}

bool startProgram(const QString& program, const QString& searchPath) {
  const QStringList folders = searchPath.isEmpty() ? QStringList() : searchPath.split(':', Qt::SkipEmptyParts);
  const QString path = QStandardPaths::findExecutable(program, folders);
  return !path.isEmpty() && !platform::startDetached(path.toStdString());
}

// Whether the widget is where text is typed: a field, a text view or the area a text view draws in.
bool isTextView(QObject* object) {
  auto* widget = qobject_cast<QWidget*>(object);
  if (!widget) return false;
  if (qobject_cast<QLineEdit*>(widget) || qobject_cast<QTextEdit*>(widget) || qobject_cast<QPlainTextEdit*>(widget))
    return true;
  auto* area = qobject_cast<QAbstractScrollArea*>(widget->parentWidget());
  return area && area->viewport() == widget && isTextView(area);
}

class CharacterPaletteKey final : public QObject {
 public:
  using QObject::QObject;

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    if (key->key() != Qt::Key_Space || modifiers != (Qt::ControlModifier | Qt::MetaModifier) || !isTextView(watched))
      return false;
    event->accept();
    if (event->type() == QEvent::KeyPress) orderFrontCharacterPalette();
    return true;
  }
};

}  // namespace

std::optional<CharacterPicker> orderFrontCharacterPalette(QDBusConnection bus, const QString& searchPath) {
  if (activateGnomeCharacters(bus)) return CharacterPicker::gnomeCharacters;
  if (startProgram("kcharselect", searchPath)) return CharacterPicker::kcharselect;
  if (startProgram("gucharmap", searchPath)) return CharacterPicker::gucharmap;
  log({"No character picker is installed (GNOME Characters, KCharSelect or gucharmap): nothing to open"});
  return std::nullopt;
}

void installCharacterPaletteKey() {
  static CharacterPaletteKey* key = nullptr;
  if (key || !QCoreApplication::instance()) return;
  key = new CharacterPaletteKey(QCoreApplication::instance());
  QCoreApplication::instance()->installEventFilter(key);
}

}  // namespace kit
