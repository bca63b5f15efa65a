#pragma once

// The texts of the settings window, as the user reads them.
namespace app::SettingsTexts {

// General
inline constexpr const char* automaticallyClearFormatting = "Automatically clear formatting";
inline constexpr const char* automaticallyClearFormattingToolTip =
    "Automatically clears the formatting of text on the clipboard";
inline constexpr const char* automaticClearingOnSubtitle =
    "Press Alt key while clicking “Copy” menu item in an app to not clear formatting. Or press and release Alt key "
    "and then press Ctrl+C.";
inline constexpr const char* automaticClearingOffSubtitle =
    "You can manually clear formatting from the menu bar app or with the chosen keyboard shortcut.";
inline constexpr const char* launchAtLogin = "Launch at login";
inline constexpr const char* hideMenuBarIcon = "Hide menu bar icon";
inline constexpr const char* hideMenuBarIconAlert =
    "If you need to access the menu bar icon, launch the app to reveal it for 5 seconds.";
inline constexpr const char* dimMenuBarIcon = "Dim menu bar icon when disabled";
inline constexpr const char* dimMenuBarIconToolTip =
    "Makes the menu bar icon dimmed when automatic format clearing is disabled";

// Shortcuts
inline constexpr const char* copyAndClearFormatting = "Copy and clear formatting";
inline constexpr const char* clearFormattingAndPaste = "Clear formatting and paste";
inline constexpr const char* toggleAutomaticallyClearFormatting = "Toggle “Automatically clear formatting”";
inline constexpr const char* needlessShortcutWarning =
    "There is no need to set this shortcut since the “Automatically clear formatting” setting is enabled.";
inline constexpr const char* copyShortcutWarning =
    "It is better to enable the “Automatically clear formatting” setting instead of setting this to Ctrl+C.";
inline constexpr const char* pasteShortcutWarning =
    "It is better to enable the “Automatically clear formatting” setting instead of setting this to Ctrl+V.";
inline constexpr const char* noAccess = "No access";
inline constexpr const char* noAccessExplanation =
    "Pasting on your behalf needs an X11 session with the XTEST extension.";

// Exclude
inline constexpr const char* excludePlaceholder = "Nothing to set here yet.";

// Extras
inline constexpr const char* whenClearingFormatting = "When clearing formatting";
inline constexpr const char* compatibility = "Compatibility";
inline constexpr const char* advanced = "Advanced";
inline constexpr const char* preserveLinks = "Preserve links";
inline constexpr const char* preserveLinksToolTip = "Removes all formatting except links";
inline constexpr const char* compatibilityWarningTitle = "Compatibility Warning";
inline constexpr const char* compatibilityWarningMessage =
    "Because of how some apps like word processors paste rich text, when this is enabled, the text may not adapt to "
    "the existing font when pasting.";
inline constexpr const char* learnMore = "Learn More";
inline constexpr const char* removeTrackingParameters = "Remove tracking parameters from URLs";
inline constexpr const char* removeTrackingParametersToolTip =
    "Removes Google Analytics UTM and other tracking parameters";
inline constexpr const char* trimWhitespace = "Trim leading and trailing whitespace";
inline constexpr const char* normalizeUnorderedLists = "Normalize unordered lists";
inline constexpr const char* improveCompatibility = "Improve compatibility with apps appending to the clipboard";
inline constexpr const char* improveCompatibilityHelp =
    "Some apps have a feature for clipboard merging/appending, for example, some clipboard managers. Since Quillet "
    "modifies the clipboard, this affects such apps. Turning this on tells those apps that the contents Quillet sets "
    "on the clipboard is auto-generated. However, this can also make other clipboard managers ignore the clipboard "
    "contents completely. So only turn this on if you actually need it.";
inline constexpr const char* transformTextWithJavaScript = "Transform text with JavaScript";
inline constexpr const char* scriptConflictsWithPreserveLinks =
    "This setting cannot be used together with “Preserve links”.";
inline constexpr const char* editScript = "Edit…";
inline constexpr const char* scriptIsEnabled = "Is enabled";

inline constexpr const char* removeTrackingParametersHelp =
    "Removing tracking parameters improve privacy and also make URLs more aesthetically pleasing. Tracking parameters "
    "are used by many websites to track your browsing activity across the web.\n\n"
    "Quillet supports 200+ common tracking parameters (e.g. Google UTM) and it has special support for removing "
    "tracking from links to Twitter, Facebook, and TikTok.\n\n"
    "Before:\n`https://example.com/article?utm_content=buffercf3b2&utm_source=facebook.com`\n\n"
    "After:\n`https://example.com/article`\n\n"
    "[Learn More ›](https://en.wikipedia.org/wiki/UTM_parameters)";
inline constexpr const char* normalizeUnorderedListsHelp =
    "Normalizes the bullets of unordered list items.\n\n**Before**\n\n• A\n\t‣ A2\n• B\n• C\n\n\n**After**\n\n- A\n\t- "
    "A2\n- B\n- C";

}  // namespace app::SettingsTexts
