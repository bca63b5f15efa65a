#pragma once

#include <functional>
#include <string>

#include "platform/pasteboard/pasteboard.h"
#include "platform/url/url.h"

namespace kit {

// Replaces the clipboard with the URL (as a URL and as plain text) marked as copied by this application, then
// calls `completion` when there is one.
void copyUrlToGeneral(const platform::Url& url, const std::function<void()>& completion = {},
                      platform::Pasteboard& pasteboard = platform::generalPasteboard());
// Replaces the clipboard with the plain text, marked as copied by this application.
void copyText(platform::Pasteboard& pasteboard, const std::string& text);

}  // namespace kit
