#include "kit/foundation/general_error.h"

#include <cstdio>

#include "kit/foundation/foundation_helpers.h"
#include "kit/foundation/string_hash.h"
#include "kit/foundation/textual_description.h"
#include "kit/foundation/zv_app.h"
#include "platform/text/utf8.h"
#include "platform/text/whitespace.h"

namespace platform {

bool ErrorRecoveryAttempter::attemptRecovery(const Error&, int64_t optionIndex) const {
  if (optionIndex < 0 || optionIndex >= static_cast<int64_t>(recoveryOptions_.size())) return false;
  const auto& action = recoveryOptions_[static_cast<size_t>(optionIndex)].action;
  return action ? action() : false;
}

void ErrorRecoveryAttempter::attemptRecovery(const Error& error, int64_t optionIndex,
                                             const std::function<void(bool)>& didRecover) const {
  bool recovered = attemptRecovery(error, optionIndex);
  if (didRecover) didRecover(recovered);
}

}  // namespace platform

namespace kit {

namespace keys = platform::userinfo;

GeneralError::GeneralError(std::string description, std::optional<std::string> recoverySuggestion,
                           const std::vector<RecoveryOption>& recoveryOptions, std::optional<std::string> helpAnchor,
                           UserInfo userInfo, const ErrorList& underlyingErrors, const std::any& url)
    : description_(std::move(description)),
      recoverySuggestion_(std::move(recoverySuggestion)),
      helpAnchor_(std::move(helpAnchor)),
      userInfo_(makeUserInfo(std::move(userInfo), description_, recoverySuggestion_, recoveryOptions, helpAnchor_,
                             underlyingErrors, url)) {}

UserInfo GeneralError::makeUserInfo(UserInfo base, const std::string& description,
                                    const std::optional<std::string>& recoverySuggestion,
                                    const std::vector<RecoveryOption>& recoveryOptions,
                                    const std::optional<std::string>& helpAnchor, const ErrorList& underlyingErrors,
                                    const std::any& url) {
  base[keys::localizedDescription] = description;
  if (recoverySuggestion) base[keys::localizedRecoverySuggestion] = *recoverySuggestion;
  if (!recoveryOptions.empty()) {
    std::vector<std::string> titles;
    titles.reserve(recoveryOptions.size());
    for (const auto& option : recoveryOptions) titles.push_back(option.title);
    base[keys::localizedRecoveryOptions] = std::move(titles);
    base[keys::recoveryAttempter] = std::make_shared<ErrorRecoveryAttempter>(recoveryOptions);
  }
  if (helpAnchor) base[keys::helpAnchor] = *helpAnchor;
  if (!underlyingErrors.empty()) base[keys::multipleUnderlyingErrors] = underlyingErrors;
  if (url.has_value()) base[keys::url] = url;
  return base;
}

UserInfo AnyError::userInfo() const {
  UserInfo info = asNSError(*error_).userInfo();
  if (!info.contains(keys::localizedDescription)) info[keys::localizedDescription] = error_->localizedDescription();
  auto setIfAbsent = [&](const char* key, const std::optional<std::string>& value) {
    if (value && !info.contains(key)) info[key] = *value;
  };
  setIfAbsent(keys::localizedFailure, error_->failureReason());
  setIfAbsent(keys::localizedRecoverySuggestion, error_->recoverySuggestion());
  setIfAbsent(keys::helpAnchor, error_->helpAnchor());
  return info;
}

std::string AnyError::debugFields() const { return "error: " + reflectingDescription(*error_); }

bool operator==(const AnyError& a, const AnyError& b) {
  if (reflectingDescription(*a.error_) != reflectingDescription(*b.error_)) return false;
  PlatformError first = asNSError(*a.error_), second = asNSError(*b.error_);
  return first.domain() == second.domain() && first.code() == second.code();
}

namespace {

void appendReflecting(std::string& out, const UserInfoValue& value) {
  if (auto error = std::get_if<std::shared_ptr<const Error>>(&value)) {
    out += *error ? reflectingDescription(**error) : "nil";
  } else if (auto errors = std::get_if<ErrorList>(&value)) {
    out += '[';
    textual::appendJoined(out, *errors, [&](const auto& each) { appendReflecting(out, UserInfoValue(each)); });
    out += ']';
  } else if (auto attempter = std::get_if<std::shared_ptr<ErrorRecoveryAttempter>>(&value)) {
    char address[2 + 16 + 1];
    std::snprintf(address, sizeof address, "%p", static_cast<const void*>(attempter->get()));
    out += "<ErrorRecoveryAttempter: " + std::string(address) + ">";
  } else if (auto any = std::get_if<std::any>(&value)) {
    if (auto url = std::any_cast<platform::Url>(any)) {
      kit::appendReflecting(out, url->absoluteString());
    } else {
      out += any->has_value() ? typeName(any->type()) : "nil";
    }
  } else {
    std::visit(
        [&](const auto& plain) {
          if constexpr (Describable<decltype(plain)>) kit::appendReflecting(out, plain);
        },
        value);
  }
}

}  // namespace

std::string reflectingDescription(const Error& error) {
  std::string out = typeName(error);
  out += "(domain: ";
  kit::appendReflecting(out, error.domain());
  out += ", code: ";
  kit::appendReflecting(out, error.code());
  out += ", errorDescription: ";
  kit::appendReflecting(out, error.errorDescription());
  out += ", failureReason: ";
  kit::appendReflecting(out, error.failureReason());
  out += ", recoverySuggestion: ";
  kit::appendReflecting(out, error.recoverySuggestion());
  out += ", helpAnchor: ";
  kit::appendReflecting(out, error.helpAnchor());
  out += ", userInfo: ";
  const UserInfo info = error.userInfo();
  if (info.empty()) {
    out += "[:]";
  } else {
    out += '[';
    textual::appendJoined(out, info, [&](const auto& entry) {
      kit::appendReflecting(out, entry.first);
      out += ": ";
      appendReflecting(out, entry.second);
    });
    out += ']';
  }
  if (auto fields = error.debugFields(); !fields.empty()) out += ", " + fields;
  out += ')';
  return out;
}

PlatformError asNSError(const Error& error) {
  if (auto platformError = dynamic_cast<const PlatformError*>(&error)) return *platformError;
  UserInfo info = error.userInfo();
  auto setIfAbsent = [&](const char* key, const std::optional<std::string>& value) {
    if (value && !info.contains(key)) info[key] = *value;
  };
  setIfAbsent(keys::localizedDescription, error.errorDescription());
  setIfAbsent(keys::localizedFailureReason, error.failureReason());
  setIfAbsent(keys::localizedRecoverySuggestion, error.recoverySuggestion());
  setIfAbsent(keys::helpAnchor, error.helpAnchor());
  return PlatformError(error.domain(), error.code(), std::move(info));
}

bool isGenuineNSError(const Error& error) { return error.isPlatformError(); }

bool isNSError(const Error& error, const std::string& domain, int64_t code) {
  return error.domain() == domain && error.code() == code;
}

ErrorList multipleUnderlyingErrors(const Error& error) {
  UserInfo info = error.userInfo();
  auto it = info.find(keys::multipleUnderlyingErrors);
  if (it == info.end()) return {};
  if (auto list = std::get_if<ErrorList>(&it->second)) return *list;
  return {};
}

bool matchesNSError(const Error& error, const std::string& domain, int64_t code) {
  if (isNSError(error, domain, code)) return true;
  for (const auto& underlying : multipleUnderlyingErrors(error)) {
    if (underlying && isNSError(*underlying, domain, code)) return true;
  }
  return false;
}

PlatformError appendingUserInfo(const Error& error, const UserInfo& extra) {
  PlatformError bridged = asNSError(error);
  UserInfo info = bridged.userInfo();
  for (const auto& [key, value] : extra) info[key] = value;
  return PlatformError(bridged.domain(), bridged.code(), std::move(info));
}

PlatformError prefixingLocalizedDescription(const Error& error, const std::string& prefix) {
  return appendingUserInfo(error, {{keys::localizedDescription, prefix + " " + error.localizedDescription()}});
}

PlatformError appError(const std::string& description, const std::optional<std::string>& recoverySuggestion,
                       const std::vector<RecoveryOption>& recoveryOptions, const std::optional<std::string>& helpAnchor,
                       UserInfo userInfo, const std::optional<std::string>& domainPostfix,
                       std::shared_ptr<const Error> underlyingError, const std::any& url) {
  // The entries of a GeneralError's user info, with the one underlying error under its own key.
  userInfo = GeneralError::makeUserInfo(std::move(userInfo), description, recoverySuggestion, recoveryOptions,
                                        helpAnchor, {}, url);
  if (underlyingError) userInfo[keys::underlyingError] = std::move(underlyingError);
  std::string domain = ZvApp::id();
  if (domainPostfix) domain += " - " + *domainPostfix;
  return PlatformError(std::move(domain), 1, std::move(userInfo));
}

std::string intentFailureText(const GeneralError& error) {
  std::string description = platform::trimmingWhitespaceAndNewlines(error.localizedDescription());
  auto suggestion = platform::userInfoString(asNSError(error).userInfo(), keys::localizedRecoverySuggestion);
  if (!suggestion) return description;
  std::string trimmedSuggestion = platform::trimmingWhitespaceAndNewlines(*suggestion);
  auto withPeriod = [](std::string text) {
    if (!text.ends_with('.')) text += '.';
    return text;
  };
  return withPeriod(description) + " " + withPeriod(trimmedSuggestion);
}

namespace {

constexpr std::string_view leftQuote = "\u201C";
constexpr std::string_view rightQuote = "\u201D";

// Line terminators a regular expression's "." does not cross.
bool startsWithLineBreak(std::string_view text) {
  return !text.empty() && platform::isNewlineScalar(platform::decodeUtf8(text, 0).scalar);
}

}  // namespace

int64_t hashIgnoringQuotedParts(const std::string& text) {
  std::string kept;
  kept.reserve(text.size());
  std::string_view rest = text;
  while (!rest.empty()) {
    if (rest.starts_with(leftQuote)) {
      // The shortest run up to a closing quote, never across a line break.
      size_t i = leftQuote.size();
      bool closed = false;
      while (i < rest.size() && !startsWithLineBreak(rest.substr(i))) {
        if (rest.substr(i).starts_with(rightQuote)) {
          closed = true;
          break;
        }
        ++i;
      }
      if (closed) {
        rest.remove_prefix(i + rightQuote.size());
        continue;
      }
    }
    kept += rest.front();
    rest.remove_prefix(1);
  }
  return static_cast<int64_t>(fnv1aHash(kept));
}

}  // namespace kit
