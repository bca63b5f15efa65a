#pragma once

#include <string>

// Process-wide application services of the kit; error reporting is in kit/foundation/report_error.h.
namespace kit::ZvApp {

// The application's id: the desktop-entry id, also the log identifier and the domain of application errors.
const std::string& id();
// The application's name, as every text of the interface names it ("Quit Quillet"), whatever Qt was told.
const std::string& name();

}  // namespace kit::ZvApp
