#pragma once

#include <QPushButton>
#include <string>

#include "platform/url/url.h"

namespace kit {

// A button that opens its address in the user's default application for it (web pages in the browser). An
// address nothing can open is passed over silently.
class LinkButton : public QPushButton {
  Q_OBJECT

 public:
  LinkButton(const std::string& title, platform::Url destination, QWidget* parent = nullptr);

  const platform::Url& destination() const { return destination_; }

 private:
  platform::Url destination_;
};

}  // namespace kit
