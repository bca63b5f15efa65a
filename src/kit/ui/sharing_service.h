#pragma once

#include <QIcon>
#include <functional>
#include <string>
#include <variant>
#include <vector>

#include "platform/url/url.h"

namespace kit {

// What can be shared: a text, or a link (a file is a file link).
using ShareObject = std::variant<std::string, platform::Url>;

// One way the desktop offers to share things. Main thread only.
class SharingService {
 public:
  using Items = std::vector<ShareObject>;

  SharingService(std::string name, std::string title, QIcon image, std::function<bool(const Items&)> canPerform,
                 std::function<void(const Items&)> perform);

  // A stable name, "" for a service that has none (it is then known by its title).
  const std::string& name() const { return name_; }
  const std::string& title() const { return title_; }
  const QIcon& image() const { return image_; }
  bool canPerformWithItems(const Items& items) const { return canPerform_(items); }
  void performWithItems(const Items& items) const { perform_(items); }

  // A new e-mail in the desktop's mail program with the items in its body ("Email"): texts and web links.
  static SharingService email();
  // The items on the clipboard ("Copy"): a single link as a link, anything else as lines of text.
  static SharingService copy();
  // The services that can share the items, in the order above; none for no items.
  static std::vector<SharingService> sharingServices(const Items& items);

 private:
  std::string name_, title_;
  QIcon image_;
  std::function<bool(const Items&)> canPerform_;
  std::function<void(const Items&)> perform_;
};

// The name a service is listed by: its name, else its title.
std::string identity(const SharingService& service);

// The items as lines of text: texts as they are, links in their plain-text form (a file's path, an address
// without "mailto:").
std::string plainText(const SharingService::Items& items);

}  // namespace kit
