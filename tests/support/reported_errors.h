#pragma once

#include <string>
#include <vector>

#include "kit/foundation/report_error.h"

// Collects the descriptions of the errors the program reports, and keeps them from the log, while it lives.
class ReportedErrors {
 public:
  ReportedErrors() {
    kit::ZvApp::setErrorReportFilter([this](const platform::Error& error) {
      descriptions_.push_back(error.localizedDescription());
      return false;
    });
  }
  ~ReportedErrors() { kit::ZvApp::setErrorReportFilter({}); }
  ReportedErrors(const ReportedErrors&) = delete;
  ReportedErrors& operator=(const ReportedErrors&) = delete;

  const std::vector<std::string>& descriptions() const { return descriptions_; }

 private:
  std::vector<std::string> descriptions_;
};
