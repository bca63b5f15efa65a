#include "kit/ui/link_button.h"

#include "kit/foundation/verbatim_title.h"
#include "kit/ui/url_opening.h"

namespace kit {

LinkButton::LinkButton(const std::string& title, platform::Url destination, QWidget* parent)
    : QPushButton(verbatimTitle(title), parent), destination_(std::move(destination)) {
  connect(this, &QPushButton::clicked, this, [this] { openUrl(destination_); });
}

}  // namespace kit
