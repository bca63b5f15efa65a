#pragma once

#include <string>

// Process-wide application services of the kit; error reporting is in kit/foundation/report_error.h.
namespace kit::ZvApp {

// The application's id: the desktop-entry id, also the log identifier and the domain of application errors.
const std::string& id();
// The name the application is shown by ("Quillet"), whatever name Qt was given.
const std::string& name();

}  // namespace kit::ZvApp
