#include "kit/app/email.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>
#include <cerrno>
#include <map>
#include <memory>

#include "kit/app/attachments_folder.h"
#include "kit/app/system_directories.h"
#include "kit/foundation/general_error.h"
#include "kit/foundation/log.h"
#include "kit/foundation/report_error.h"
#include "kit/foundation/sequence_utilities.h"
#include "kit/foundation/url_query.h"
#include "kit/foundation/zv_app.h"
#include "kit/ui/url_opening.h"
#include "platform/core/ascii.h"
#include "platform/system/desktop_entry.h"
#include "platform/system/workspace.h"
#include "platform/text/utf8.h"

namespace kit {

namespace {

// The text of a message whose attachment travels as a file: the message, then two line feeds before the file.
std::optional<std::string> bodyBeforeAttachment(const std::optional<std::string>& message) {
  if (!message) return std::nullopt;
  return *message + "\n\n";
}

std::string joinedUnique(const std::vector<EmailAddress>& addresses) {
  std::string joined;
  for (const auto& address : removingDuplicates(addresses)) {
    if (!joined.empty()) joined += ",";
    joined += address.rawValue();
  }
  return joined;
}

// Cut where a line ends, else where no UTF-8 sequence is split.
size_t cutPosition(const std::string& text, size_t limit) {
  const size_t lineEnd = text.rfind('\n', limit);
  if (lineEnd != std::string::npos && lineEnd > 0) return lineEnd;
  return platform::utf8Prefix(text, limit).size();
}

void sendInline(const std::vector<EmailAddress>& to, const std::string& subject,
                const std::optional<std::string>& message, const std::string& attachmentFilename,
                const std::string& attachmentText) {
  openMailto(to, subject, inlineAttachmentBody(message, attachmentFilename, attachmentText));
}

// Whether xdg-email really attaches files for the default mail program. It starts Thunderbird with the files, and
// Evolution reads the attachments of the link it is handed; any other handler, a web browser above all, gets a link
// whose attachment it cannot read, and xdg-email still reports success.
bool defaultMailProgramTakesAttachments() {
  const auto id = platform::defaultApplicationId("mailto");
  const auto entry = id ? platform::DesktopEntries::lookup(*id) : std::nullopt;
  if (!entry) return false;
  const std::string program =
      platform::asciiLowercased(std::filesystem::path(platform::programOfExec(entry->exec)).filename().string());
  return program.find("thunderbird") != std::string::npos || program.find("icedove") != std::string::npos ||
         program == "evolution";
}

// Hands the message with the file attached to xdg-email where the default mail program takes attachments from it;
// otherwise, or when xdg-email fails, the text goes inline.
void sendThroughXdgEmail(const std::vector<EmailAddress>& to, const std::string& subject,
                         const std::optional<std::string>& message, const std::string& attachmentFilename,
                         const std::string& attachmentText, const std::filesystem::path& file,
                         std::shared_ptr<TemporaryDirectory> folder) {
  const QString program = QStandardPaths::findExecutable(QStringLiteral("xdg-email"));
  if (program.isEmpty() || to.empty() || !defaultMailProgramTakesAttachments())
    return sendInline(to, subject, message, attachmentFilename, attachmentText);

  QStringList arguments{"--utf8", "--subject", QString::fromStdString(subject)};
  if (auto body = bodyBeforeAttachment(message)) arguments << "--body" << QString::fromStdString(*body);
  arguments << "--attach" << QString::fromStdString(file.string());
  for (const auto& address : to) arguments << QString::fromStdString(address.rawValue());

  auto* process = new QProcess(QCoreApplication::instance());
  process->setProgram(program);
  process->setArguments(arguments);
  process->setStandardInputFile(QProcess::nullDevice());
  auto handOver = std::make_shared<std::shared_ptr<TemporaryDirectory>>(std::move(folder));
  auto fallBack = [to, subject, message, attachmentFilename, attachmentText, handOver] {
    handOver->reset();
    sendInline(to, subject, message, attachmentFilename, attachmentText);
  };
  QObject::connect(process, &QProcess::errorOccurred, process, [process, fallBack](QProcess::ProcessError error) {
    if (error != QProcess::FailedToStart) return;
    fallBack();
    process->deleteLater();
  });
  QObject::connect(process, &QProcess::finished, process,
                   [process, fallBack, handOver](int exitCode, QProcess::ExitStatus status) {
                     if (status == QProcess::NormalExit && exitCode == 0)
                       (*handOver)->keep();
                     else
                       fallBack();
                     process->deleteLater();
                   });
  process->start();
}

}  // namespace

platform::Url mailto(const std::vector<EmailAddress>& to, const std::optional<std::string>& subject,
                     const std::optional<std::string>& body, const std::vector<EmailAddress>& cc,
                     const std::vector<EmailAddress>& bcc) {
  platform::UrlComponents components;
  components.setScheme("mailto");
  components.setPath(joinedUnique(to));
  std::map<std::string, std::string> query;
  if (subject) query["subject"] = *subject;
  if (body) query["body"] = *body;
  if (!cc.empty()) query["cc"] = joinedUnique(cc);
  if (!bcc.empty()) query["bcc"] = joinedUnique(bcc);
  std::optional<platform::Url> url;
  if (auto base = components.url()) url = query.empty() ? base : urlWithQuery(base->absoluteString(), query);
  if (url) return *url;
  ZvApp::reportError(GeneralError("Could not create `mailto:` URL"),
                     {{"components", std::string(components.percentEncodedPath())}});
  return *platform::Url::parse("mailto:");
}

void openMailto(const std::vector<EmailAddress>& to, const std::string& subject, const std::string& body) {
  // The link itself is not printed: it holds the whole message.
  openUrl(mailto(to, subject, body));
}

std::string inlineAttachmentBody(const std::optional<std::string>& message, const std::string& attachmentFilename,
                                 const std::string& attachmentText, size_t textLimit) {
  std::string text = attachmentText;
  if (text.size() > textLimit) {
    text.resize(cutPosition(text, textLimit));
    text += "\n[truncated]";
  }
  return message.value_or("") + "\n\n\n\n" + attachmentFilename + "\n" + std::string(30, '-') + "\n\n" + text;
}

void sendEmail(const std::vector<EmailAddress>& to, const std::string& subject,
               const std::optional<std::string>& message, const std::string& attachmentFilename,
               const std::string& attachmentText, platform::EmailPortal& portal) {
  std::filesystem::path file;
  std::shared_ptr<TemporaryDirectory> folder;
  try {
    // Only in a folder of the program's own, where a later start finds the file to remove it.
    if (!openAttachmentsDirectory(true))
      throw PlatformError::posix(ENOTDIR, "No attachments folder at " + attachmentsDirectory().string());
    file = createTemporaryFile(attachmentFilename, "text/plain", attachmentText, attachmentsDirectory());
    folder = std::make_shared<TemporaryDirectory>(file.parent_path());
  } catch (const Error& error) {
    log({"Could not write the attachment:", error.localizedDescription()}, LogType::error, "sendEmail()");
    return sendInline(to, subject, message, attachmentFilename, attachmentText);
  }

  platform::EmailDraft draft{.subject = subject, .body = bodyBeforeAttachment(message), .attachments = {file}};
  for (const auto& address : to) draft.addresses.push_back(address.rawValue());
  portal.compose(draft, [to, subject, message, attachmentFilename, attachmentText, file,
                         folder](platform::EmailPortal::Outcome outcome) mutable {
    switch (outcome) {
      case platform::EmailPortal::Outcome::composed:
        return folder->keep();
      case platform::EmailPortal::Outcome::cancelled:
        return;  // the user declined the message; the folder goes with the last reference
      case platform::EmailPortal::Outcome::unavailable:
      case platform::EmailPortal::Outcome::failed:
        return sendThroughXdgEmail(to, subject, message, attachmentFilename, attachmentText, file, std::move(folder));
    }
  });
}

}  // namespace kit
