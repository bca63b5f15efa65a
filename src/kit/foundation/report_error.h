#pragma once

#include <concepts>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <set>
#include <source_location>
#include <string>
#include <utility>

#include "platform/core/error.h"

namespace kit {

// The kit's reporting of errors, one of its process-wide application services (kit/foundation/zv_app.h).
namespace ZvApp {

// The hook for failures that can be survived but should not happen: drops cancellations and ignored
// errors, and logs the rest so that none vanish.
void reportError(const std::exception_ptr& error, platform::UserInfo userInfo = {},
                 std::source_location location = std::source_location::current());
void reportError(const platform::Error& error, platform::UserInfo userInfo = {},
                 std::source_location location = std::source_location::current());
void reportError(const platform::Error& error, platform::UserInfo userInfo, const std::string& file, int64_t line);

// The form a report takes: like failures share a domain and a code. Platform errors with their own code keep
// it and only gain the extra entries ("file", "line", "fileLine", "codeString" are added by reporting).
platform::PlatformError reportableError(const platform::Error& error, const platform::UserInfo& userInfo);

// (domain, code) pairs that reporting drops, also when they appear among the multiple underlying errors. Empty
// until the program adds to it.
using IgnoredErrors = std::set<std::pair<std::string, int64_t>>;
IgnoredErrors ignoredErrors();
void setIgnoredErrors(IgnoredErrors ignored);
// Adds one pair to the current set.
void addIgnoredError(std::string domain, int64_t code);
// Reporting goes on only when the filter answers true (initially for every error).
using ErrorReportFilter = std::function<bool(const platform::Error&)>;
ErrorReportFilter errorReportFilter();
void setErrorReportFilter(ErrorReportFilter filter);

// Where a reportable error goes once built: the log, unless a test looks at it instead. None puts the log back.
using ReportedErrorSink = std::function<void(const platform::PlatformError&)>;
void setReportedErrorSinkForTesting(ReportedErrorSink sink);

}  // namespace ZvApp

// The error a caught exception stands for: a platform::Error as it was thrown, any other std::exception as a
// GeneralError with its what() text, anything else as the GeneralError "Unknown error."; none for no exception.
std::shared_ptr<const platform::Error> asError(const std::exception_ptr& error);

// Reports the error to the error hook (ZvApp::reportError) and hands the same error back, for a caller that goes on
// with it: `throw reportToErrorHook(error)`, or a report on the way to a fallback.
template <std::derived_from<platform::Error> E>
E reportToErrorHook(const E& error, platform::UserInfo userInfo = {},
                    std::source_location location = std::source_location::current()) {
  ZvApp::reportError(error, std::move(userInfo), location);
  return error;
}

// True for cancellations of every kind the platform knows (task, URL loading, user, ECANCELED), looking through
// wrapping errors and the underlying error.
bool isCancelled(const platform::Error& error);
bool isCancelled(const std::exception_ptr& error);

}  // namespace kit
