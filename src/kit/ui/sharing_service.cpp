#include "kit/ui/sharing_service.h"

#include "kit/foundation/pasteboard_markers.h"
#include "kit/foundation/url_query.h"
#include "kit/ui/link_copy.h"
#include "kit/ui/symbol_icons.h"
#include "kit/ui/url_opening.h"

namespace kit {

namespace {

bool isFile(const ShareObject& item) {
  const auto* url = std::get_if<platform::Url>(&item);
  return url != nullptr && url->isFileUrl();
}

}  // namespace

SharingService::SharingService(std::string name, std::string title, QIcon image,
                               std::function<bool(const Items&)> canPerform, std::function<void(const Items&)> perform)
    : name_(std::move(name)),
      title_(std::move(title)),
      image_(std::move(image)),
      canPerform_(std::move(canPerform)),
      perform_(std::move(perform)) {}

SharingService SharingService::email() {
  return SharingService(
      "email", "Email", themeIcon("mail-message-new", "envelope"),
      [](const Items& items) { return !items.empty() && std::none_of(items.begin(), items.end(), isFile); },
      [](const Items& items) {
        if (auto mail = urlWithQuery("mailto:", {{"body", plainText(items)}})) openUrl(*mail);
      });
}

SharingService SharingService::copy() {
  return SharingService(
      "copy", "Copy", themeIcon("edit-copy", "doc.on.doc"), [](const Items& items) { return !items.empty(); },
      [](const Items& items) {
        if (items.size() == 1 && std::holds_alternative<platform::Url>(items[0])) {
          copyUrlToGeneral(std::get<platform::Url>(items[0]));
        } else {
          copyText(platform::generalPasteboard(), plainText(items));
        }
      });
}

std::vector<SharingService> SharingService::sharingServices(const Items& items) {
  std::vector<SharingService> able;
  for (SharingService service : {email(), copy()})
    if (service.canPerformWithItems(items)) able.push_back(std::move(service));
  return able;
}

std::string identity(const SharingService& service) {
  return service.name().empty() ? service.title() : service.name();
}

std::string plainText(const SharingService::Items& items) {
  std::string text;
  for (const auto& item : items) {
    if (!text.empty()) text += '\n';
    if (const auto* url = std::get_if<platform::Url>(&item)) {
      text += kit::plainText(*url);
    } else {
      text += std::get<std::string>(item);
    }
  }
  return text;
}

}  // namespace kit
