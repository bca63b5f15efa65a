#include "kit/app/feedback.h"

#include <map>

#include "kit/app/debug_info.h"
#include "kit/foundation/app_termination.h"
#include "kit/foundation/text_from_key.h"
#include "kit/foundation/url_query.h"
#include "kit/foundation/verbatim_title.h"
#include "kit/foundation/zv_app.h"
#include "kit/ui/url_opening.h"

namespace kit {

namespace {

const platform::Url& constantUrl(const char* text) {
  // Only ever called with the constants below, which parse.
  static std::map<std::string, platform::Url> urls;
  auto it = urls.find(text);
  if (it == urls.end()) it = urls.emplace(text, *platform::Url::parse(text)).first;
  return it->second;
}

}  // namespace

namespace WebAddresses {
const platform::Url& makerApps() { return constantUrl("https://kestrova.com/apps"); }
const platform::Url& feedbackPage() { return constantUrl("https://kestrova.com/feedback"); }
}  // namespace WebAddresses

platform::Url feedbackPageUrl(const std::optional<std::string>& message, const std::optional<std::string>& extraInfo) {
  std::map<std::string, std::string> query{
      {"product", ZvApp::name()},
      {"metadata", DebugInfo::debugInfo()},
  };
  if (message) query["messageField"] = *message;
  if (extraInfo) query["extraInfo"] = *extraInfo;
  // Every byte outside the unreserved set is encoded, so the constant base always gives an address.
  return urlWithQuery(WebAddresses::feedbackPage().absoluteString(), query).value_or(WebAddresses::feedbackPage());
}

void openFeedbackPage() { openUrl(feedbackPageUrl()); }

SendFeedbackButton::SendFeedbackButton(const std::string& title, QWidget* parent)
    : QPushButton(verbatimTitle(title), parent) {
  // Never the default button of a dialog: Return in one of its fields must not open the form.
  setAutoDefault(false);
  connect(this, &QPushButton::clicked, this, [] { openFeedbackPage(); });
}

QuitButton::QuitButton(bool showName, QWidget* parent)
    : QPushButton(verbatimTitle(showName ? Text::fromKey("Quit %@", {ZvApp::name()}) : Text::fromKey("Quit")), parent) {
  setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
  // Ctrl+Q is its only key: Return in a dialog's field must not quit.
  setAutoDefault(false);
  connect(this, &QPushButton::clicked, this, [] { terminateApp(); });
}

}  // namespace kit
