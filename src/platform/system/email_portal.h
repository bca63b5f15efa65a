#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// A new message as the user's mail program is to open it.
struct EmailDraft {
  std::vector<std::string> addresses;
  std::string subject;
  std::optional<std::string> body;
  std::vector<std::filesystem::path> attachments;
};

// The e-mail interface of the desktop portal (org.freedesktop.portal.Email): it opens a new message in the user's
// mail program with the files attached, the files passed as open descriptors. Main thread only.
class EmailPortal : public QObject {
  Q_OBJECT

 public:
  enum class Outcome {
    composed,     // the mail program has the message
    cancelled,    // the user declined in the portal's dialog
    unavailable,  // no portal with an e-mail interface took the request, or a file could not be opened
    failed,       // the portal took the request and could not finish it
  };

  // Talks to the portal on `bus`.
  explicit EmailPortal(QDBusConnection bus);
  // The one on the session bus, made on first use.
  static EmailPortal& shared();

  // Hands the draft to the portal; `done` runs once, later, on the main thread, with what became of it.
  void compose(const EmailDraft& draft, const std::function<void(Outcome)>& done);

 private:
  void send(const EmailDraft& draft, uint version, std::function<void(Outcome)> done);
  void wait(const QString& requestPath, std::function<void(Outcome)> done);
  std::function<void(Outcome)> stopWaiting(const QString& requestPath);
  Q_SLOT void responded(const QDBusMessage& message);

  QDBusConnection bus_;
  std::map<QString, std::function<void(Outcome)>> waiting_;  // by the path of the portal's request
  unsigned long nextToken_ = 0;
};

}  // namespace platform
