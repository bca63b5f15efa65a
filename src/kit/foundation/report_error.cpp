#include "kit/foundation/report_error.h"

#include <cerrno>
#include <mutex>

#include "kit/foundation/general_error.h"
#include "kit/foundation/log.h"

namespace kit {
namespace {

bool reportsEveryError(const platform::Error&) { return true; }

struct ReportConfiguration {
  std::mutex lock;
  ZvApp::IgnoredErrors ignored;
  ZvApp::ErrorReportFilter filter = reportsEveryError;
  ZvApp::ReportedErrorSink sink;
};

ReportConfiguration& configuration() {
  static ReportConfiguration shared;
  return shared;
}

std::string lastPathComponent(const std::string& path) {
  auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The type or case name: the text up to the first parenthesis or whitespace.
std::string typeOrCaseName(const platform::Error& error) {
  std::string name = error.typeOrCaseName();
  auto cut = name.find_first_of("( \t\n\r\v\f");
  if (cut != std::string::npos) name.erase(cut);
  return name;
}

}  // namespace

ZvApp::IgnoredErrors ZvApp::ignoredErrors() {
  auto& config = configuration();
  std::lock_guard guard(config.lock);
  return config.ignored;
}

void ZvApp::setIgnoredErrors(IgnoredErrors ignored) {
  auto& config = configuration();
  std::lock_guard guard(config.lock);
  config.ignored = std::move(ignored);
}

void ZvApp::addIgnoredError(std::string domain, int64_t code) {
  auto& config = configuration();
  std::lock_guard guard(config.lock);
  config.ignored.emplace(std::move(domain), code);
}

ZvApp::ErrorReportFilter ZvApp::errorReportFilter() {
  auto& config = configuration();
  std::lock_guard guard(config.lock);
  return config.filter;
}

void ZvApp::setErrorReportFilter(ErrorReportFilter filter) {
  auto& config = configuration();
  std::lock_guard guard(config.lock);
  config.filter = filter ? std::move(filter) : reportsEveryError;
}

void ZvApp::setReportedErrorSinkForTesting(ReportedErrorSink sink) {
  auto& config = configuration();
  std::lock_guard guard(config.lock);
  config.sink = std::move(sink);
}

platform::PlatformError ZvApp::reportableError(const platform::Error& error, const platform::UserInfo& userInfo) {
  platform::PlatformError bridged = asNSError(error);
  if (isGenuineNSError(error) && bridged.code() != 1) {
    return userInfo.empty() ? bridged : appendingUserInfo(bridged, userInfo);
  }
  platform::UserInfo info = bridged.userInfo();
  for (const auto& [key, value] : userInfo) info[key] = value;
  std::string description = error.localizedDescription();
  info[platform::userinfo::localizedDescription] = description;

  std::string codeText = typeOrCaseName(error) + " " + description;
  std::string domain = bridged.domain() + "." + codeText;
  int64_t code = bridged.code() == 1 ? hashIgnoringQuotedParts(codeText) : bridged.code();
  info["codeString"] = codeText;
  return platform::PlatformError(std::move(domain), code, std::move(info));
}

void ZvApp::reportError(const platform::Error& error, platform::UserInfo userInfo, const std::string& file,
                        int64_t line) {
  if (dynamic_cast<const platform::CancellationError*>(&error)) return;
  ZvApp::ErrorReportFilter filter;
  ZvApp::ReportedErrorSink sink;
  {
    auto& config = configuration();
    std::lock_guard guard(config.lock);
    for (const auto& [domain, code] : config.ignored) {
      if (matchesNSError(error, domain, code)) return;
    }
    filter = config.filter;
    sink = config.sink;
  }
  if (!filter(error)) return;

  userInfo.try_emplace("file", file);
  userInfo.try_emplace("line", line);
  userInfo.try_emplace("fileLine", lastPathComponent(file) + ":" + std::to_string(line));
  platform::PlatformError reportable = reportableError(error, userInfo);
  if (sink) {
    sink(reportable);
    return;
  }
  std::string fileLine = platform::userInfoString(reportable.userInfo(), "fileLine").value_or("");
  log({reportable.domain(), reportable.code(), reportable.localizedDescription(), fileLine}, LogType::error,
      "reportError", file, line);
}

void ZvApp::reportError(const platform::Error& error, platform::UserInfo userInfo, std::source_location location) {
  reportError(error, std::move(userInfo), location.file_name(), location.line());
}

void ZvApp::reportError(const std::exception_ptr& error, platform::UserInfo userInfo, std::source_location location) {
  if (auto known = asError(error)) reportError(*known, std::move(userInfo), location);
}

std::shared_ptr<const platform::Error> asError(const std::exception_ptr& error) {
  if (!error) return nullptr;
  try {
    std::rethrow_exception(error);
  } catch (const platform::Error& known) {
    // The thrown object itself, kept alive by the exception that holds it: its own type, not a copy of its base.
    return {std::make_shared<std::exception_ptr>(error), &known};
  } catch (const std::exception& other) {
    return std::make_shared<const GeneralError>(other.what());
  } catch (...) {
    return std::make_shared<const GeneralError>("Unknown error.");
  }
}

bool isCancelled(const platform::Error& error) {
  const platform::Error* current = &error;
  while (auto wrapper = dynamic_cast<const AnyError*>(current)) current = &wrapper->error();
  if (dynamic_cast<const platform::CancellationError*>(current)) return true;

  PlatformError bridged = asNSError(*current);
  const std::string& domain = bridged.domain();
  int64_t code = bridged.code();
  if (domain == "NSURLErrorDomain" && (code == -999 || code == -1012)) return true;
  if (domain == "NSCocoaErrorDomain" && code == 3072) return true;
  if (domain == platform::PlatformError::posixDomain && code == ECANCELED) return true;
  if (domain == "SKErrorDomain" && code == 2) return true;

  UserInfo info = bridged.userInfo();
  auto it = info.find(platform::userinfo::underlyingError);
  if (it != info.end()) {
    if (auto underlying = std::get_if<std::shared_ptr<const platform::Error>>(&it->second); underlying && *underlying) {
      return isCancelled(**underlying);
    }
  }
  return false;
}

bool isCancelled(const std::exception_ptr& error) {
  if (!error) return false;
  try {
    std::rethrow_exception(error);
  } catch (const platform::Error& known) {
    return isCancelled(known);
  } catch (...) {
    return false;
  }
}

}  // namespace kit
