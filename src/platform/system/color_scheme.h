#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <optional>

#include "platform/core/rx.h"

namespace platform {

// The colour scheme a desktop asks applications to take, as its portal states it.
enum class ColorScheme { noPreference = 0, dark = 1, light = 2 };

// The desktop's colour scheme from the desktop portal (the "color-scheme" of "org.freedesktop.appearance" in the
// portal's settings), read when made and then followed through the portal's change signal. Without a portal on
// the bus it knows none. Main thread only.
class DesktopColorScheme : public QObject {
  Q_OBJECT

 public:
  // Reads from the portal on `bus`.
  explicit DesktopColorScheme(QDBusConnection bus);
  // The one on the session bus, made on first use.
  static DesktopColorScheme& shared();

  // None when no portal answered.
  std::optional<ColorScheme> current() const { return current_; }
  // Each change the portal announces, on the main thread.
  rx::Publisher<ColorScheme> changes() const { return changes_.publisher(); }

 private:
  Q_SLOT void settingChanged(const QDBusMessage& message);

  QDBusConnection bus_;
  std::optional<ColorScheme> current_;
  rx::PassthroughSubject<ColorScheme> changes_;
};

}  // namespace platform
