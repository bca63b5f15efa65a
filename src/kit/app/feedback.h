#pragma once

#include <QPushButton>
#include <functional>
#include <optional>
#include <string>

#include "platform/url/url.h"

namespace kit {

// The maker's addresses beside the product's page (ZvKit::Metadata::current().website, whose sections are "#tips",
// "#faq" and "#word-bug").
namespace WebAddresses {
// The maker's page that lists its applications.
const platform::Url& makerApps();
// The feedback form, before its query.
const platform::Url& feedbackPage();
}  // namespace WebAddresses

// The feedback form with "product" (the application's name), "metadata" and, when given, "messageField" and
// "extraInfo".
platform::Url feedbackPageUrl(const std::optional<std::string>& message = std::nullopt,
                              const std::optional<std::string>& extraInfo = std::nullopt);

// Opens the feedback form with only the product and the metadata.
void openFeedbackPage();

// A button that opens the feedback form, with the title as it is written. Neither button is ever a dialog's default
// button.
class SendFeedbackButton : public QPushButton {
  Q_OBJECT

 public:
  explicit SendFeedbackButton(const std::string& title, QWidget* parent = nullptr);
};

// "Quit <name>" (or "Quit"), Ctrl+Q, which quits the application. Both titles are looked up as localisation keys
// ("Quit %@" with the name, and "Quit").
class QuitButton : public QPushButton {
  Q_OBJECT

 public:
  explicit QuitButton(bool showName, QWidget* parent = nullptr);
};

}  // namespace kit
