#include "kit/foundation/zv_app.h"

#include "app_identity.h"

namespace kit::ZvApp {

const std::string& id() {
  static const std::string identifier = identity::applicationId;
  return identifier;
}

const std::string& name() {
  static const std::string value = identity::applicationName;
  return value;
}

}  // namespace kit::ZvApp
