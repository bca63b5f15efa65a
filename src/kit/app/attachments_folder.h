#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>

#include "platform/core/file_descriptor.h"

// Where files attached to mail wait for the mail program, in the program's cache folder: some mail programs read an
// attachment only when the message is sent, which may be after this program quit.
namespace kit {

// <cache home>/<id>/attachments.
std::filesystem::path attachmentsDirectory();

// The attachments folder, opened without following a link anywhere below the cache home, and made (with the
// program's cache folder, both 0700) when missing and `create` is set. None when it is missing, or when something
// other than a folder of this user's stands in the place of either folder (a link, a file): that is left alone, and
// logged.
std::optional<platform::FileDescriptor> openAttachmentsDirectory(bool create);

// The removal of the message folders that mail programs were handed more than `age` ago: the folders sendEmail()
// made there (this user's, named as createTemporaryDirectory() names them), with the files and links in them.
// Anything else in the attachments folder stays, no link is followed, and a folder found inside a message folder
// keeps it in place. The folder is opened now, so the work returned shares nothing with the rest of the program
// and may run on any thread, even while it ends; a folder swapped for a link meanwhile cannot lead it elsewhere.
std::function<void()> removalOfOldAttachments(std::chrono::hours age = std::chrono::hours(24));

}  // namespace kit
