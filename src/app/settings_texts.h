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
inline constexpr const char* excludeHeader = "Do not automatically clear formatting when copying in these apps";
inline constexpr const char* noApps = "No Apps";
inline constexpr const char* addApp = "Add App";
inline constexpr const char* removeApp = "Remove App";
inline constexpr const char* dragAndDropTip = " You can even drag & drop apps into here";
// Around the feedback page's address.
inline constexpr const char* excludeFooterStart = "Please [let me know](";
inline constexpr const char* excludeFooterEnd =
    ") if Quillet is clearing formatting when it should not or not clearing formatting when it should.";

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

// The script editor
inline constexpr const char* code = "Code";
inline constexpr const char* hintArrow = "→";
inline constexpr const char* test = "Test";
inline constexpr const char* input = "Input";
inline constexpr const char* output = "Output";
inline constexpr const char* logs = "Logs";
inline constexpr const char* run = "Run";
inline constexpr const char* sendFeedback = "Send Feedback…";
inline constexpr const char* done = "Done";
// The help, around the feedback page's address.
inline constexpr const char* scriptHelpStart =
    "Enhance copied text by modifying it to fit your needs. For example, you can replace quotes, trim empty trailing "
    "lines, remove invisible control characters, expand snippets, or modify text only when copied from a specific "
    "app.\n\n"
    "Your code runs after the formatting is cleared and should return a string with the new text. If you return "
    "`undefined` or `null`, the text will not be modified.\n\n"
    "Access the text with `$.text` and use `$.log('🐤', '📋')` for logging.\n\n"
    "Press Ctrl+R to run the code.\n\n"
    "You can also access the bundle identifier of the source app with `$.sourceApp` if it was detected. This is only "
    "available if you have automatic format clearing enabled or have set the shortcut “Copy and clear formatting”."
    "\n\n"
    "Note: The code runs in a JavaScript engine, not a browser. Therefore, browser APIs like `URL` and "
    "`URLSearchParams` are not available. The code can also not be async.\n\n"
    "**This is a new feature. [Feedback wanted.](";
inline constexpr const char* scriptHelpEnd =
    ") I am particularly interested in hearing about creative uses of this feature.**";
// Shown the first time the editor opens with no script.
inline constexpr const char* exampleScript = "$.log('Input text:', $.text);\n\nreturn $.text.toUpperCase();";
inline constexpr const char* exampleInput = "hello";
inline constexpr const char* exampleOutput = "HELLO";

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
