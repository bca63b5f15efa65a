#pragma once

#include <QAction>
#include <QMenu>
#include <string>

#include "kit/ui/menu.h"
#include "platform/url/url.h"

namespace kit {

// A disabled item in the small system font that titles the items after it; with a separator before it when
// asked.
QAction* addHeader(QMenu& menu, const std::string& title, bool hasSeparatorBefore);

CallbackMenuItem* addMoreAppsItem(QMenu& menu);  // "More Apps by Me": the maker's page of applications
CallbackMenuItem* addWebsiteItem(QMenu& menu);   // "Website": the product's page
CallbackMenuItem* addTipsItem(QMenu& menu);      // "Tips": the product's page at "#tips"
CallbackMenuItem* addFAQItem(QMenu& menu);       // "FAQ": the product's page at "#faq"
// "Rate App" needs a store entry, which this build has none of: adds nothing and returns nullptr.
CallbackMenuItem* addRateAppItem(QMenu& menu);

// The product's page with its fragment replaced.
platform::Url websiteWithFragment(const std::string& fragment);

// Opens the settings window on a later turn of the main loop (openSettingsOnMainQueue).
void settingsMenuItemAction();
// The about box (name, "Version 1.0.0 (27)", icon): one at a time, brought forward when it is open already. It blocks
// no other window and stands in front of the floating ones.
void orderFrontStandardAboutPanel();
// Brings the application forward and shows the about box.
void aboutMenuItemAction();
// Opens the feedback form.
void sendFeedbackMenuItemAction();

}  // namespace kit
