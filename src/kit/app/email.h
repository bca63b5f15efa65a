#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "kit/foundation/email_address.h"
#include "platform/system/email_portal.h"
#include "platform/url/url.h"

// E-mail to the maker, handed to the user's mail program.
namespace kit {

// A "mailto:" link: the recipients once each, in order, joined with ","; "subject" and "body" whenever given
// (empty ones too); "cc" and "bcc" only when not empty. Names and values keep only ASCII letters, digits and
// "-._~"; everything else is percent-encoded, so "&", "=", "+" and "#" never split the query.
platform::Url mailto(const std::vector<EmailAddress>& to, const std::optional<std::string>& subject,
                     const std::optional<std::string>& body, const std::vector<EmailAddress>& cc = {},
                     const std::vector<EmailAddress>& bcc = {});

// Opens a new message in the default mail program.
void openMailto(const std::vector<EmailAddress>& to, const std::string& subject, const std::string& body);

// A new message with the text attached as a file, and the message (when given) followed by two line feeds as its
// text. The file goes where it really reaches the message: to the desktop portal's e-mail interface where a portal
// answers, else to xdg-email when the default mail program is one it attaches files for. Otherwise, or when these
// fail, the message carries the text in its body (see inlineAttachmentBody). When the user declines the message in
// the portal's dialog, nothing else happens. The file is written into a private folder of its own in the attachments
// folder (attachments_folder.h), and the text goes inline when something else stands there; once a mail program has it,
// it stays there (some read it only when the message is sent, which may be after this program quit) until
// removalOfOldAttachments() of a later start finds it old. Otherwise it goes at once.
void sendEmail(const std::vector<EmailAddress>& to, const std::string& subject,
               const std::optional<std::string>& message, const std::string& attachmentFilename,
               const std::string& attachmentText, platform::EmailPortal& portal = platform::EmailPortal::shared());

// The body that carries an attachment inline: the message, four line feeds, the file name, a line feed, 30
// hyphens, two line feeds and the text. A text longer than `textLimit` bytes is cut at a line end before the
// limit (so its last lines go first) and ends with "[truncated]": desktop tools cannot open longer links.
std::string inlineAttachmentBody(const std::optional<std::string>& message, const std::string& attachmentFilename,
                                 const std::string& attachmentText, size_t textLimit = 32 * 1024);

}  // namespace kit
