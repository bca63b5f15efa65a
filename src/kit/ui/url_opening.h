#pragma once

#include <functional>
#include <string>

#include "platform/url/url.h"

namespace kit {

// Hands the address to the desktop, which opens it with the user's default application for its scheme (web
// pages in the browser, "mailto:" in the mail program). False when nothing could open it.
bool openUrl(const platform::Url& url);

// Replaced by tests, so that nothing is really opened; empty restores the desktop.
void setUrlOpenerForTesting(std::function<bool(const platform::Url&)> opener);

}  // namespace kit
