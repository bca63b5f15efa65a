#pragma once

#include <string>

#include "platform/pasteboard/pasteboard.h"
#include "platform/url/url.h"

namespace kit {

// Replaces the clipboard with the URL (as a URL and as plain text) marked as copied by this application.
void copyUrl(platform::Pasteboard& pasteboard, const platform::Url& url);
// Replaces the clipboard with the plain text, marked as copied by this application.
void copyText(platform::Pasteboard& pasteboard, const std::string& text);

}  // namespace kit
