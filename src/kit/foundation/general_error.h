#pragma once

#include <any>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "kit/foundation/fatal_error.h"
#include "platform/core/error.h"

namespace platform {

// Turns the recovery options of an error into the buttons of an error alert.
class ErrorRecoveryAttempter {
 public:
  struct Option {
    std::string title;
    std::function<bool()> action;  // true when the recovery succeeded
  };

  explicit ErrorRecoveryAttempter(std::vector<Option> options) : recoveryOptions_(std::move(options)) {}

  const std::vector<Option>& recoveryOptions() const { return recoveryOptions_; }

  // False for an index outside the options; otherwise runs the option and gives its answer.
  bool attemptRecovery(const Error& error, int64_t optionIndex) const;
  // The same, then tells `didRecover` the result when it is given.
  void attemptRecovery(const Error& error, int64_t optionIndex, const std::function<void(bool)>& didRecover) const;

 private:
  std::vector<Option> recoveryOptions_;
};

}  // namespace platform

namespace kit {

using Error = platform::Error;
using PlatformError = platform::PlatformError;
using UserInfo = platform::UserInfo;
using UserInfoValue = platform::UserInfoValue;
using ErrorRecoveryAttempter = platform::ErrorRecoveryAttempter;
using RecoveryOption = platform::ErrorRecoveryAttempter::Option;
using ErrorList = std::vector<std::shared_ptr<const Error>>;

// The kit's user-facing error. Its user info is built once, when it is made.
class GeneralError : public Error {
 public:
  // `url` is any URL value (travels in the user info as std::any); empty means none.
  explicit GeneralError(std::string description, std::optional<std::string> recoverySuggestion = std::nullopt,
                        const std::vector<RecoveryOption>& recoveryOptions = {},
                        std::optional<std::string> helpAnchor = std::nullopt, UserInfo userInfo = {},
                        const ErrorList& underlyingErrors = {}, const std::any& url = {});

  static UserInfo makeUserInfo(UserInfo base, const std::string& description,
                               const std::optional<std::string>& recoverySuggestion,
                               const std::vector<RecoveryOption>& recoveryOptions,
                               const std::optional<std::string>& helpAnchor, const ErrorList& underlyingErrors,
                               const std::any& url);

  std::optional<std::string> errorDescription() const override { return description_; }
  std::optional<std::string> recoverySuggestion() const override { return recoverySuggestion_; }
  std::optional<std::string> helpAnchor() const override { return helpAnchor_; }
  UserInfo userInfo() const override { return userInfo_; }
  std::string typeOrCaseName() const override { return "GeneralError"; }

 private:
  std::string description_;
  std::optional<std::string> recoverySuggestion_;
  std::optional<std::string> helpAnchor_;
  UserInfo userInfo_;
};

// Wraps any error; reporting and cancellation tests look through it.
class AnyError : public Error {
 public:
  explicit AnyError(std::shared_ptr<const Error> error) : error_(std::move(error)) {}

  const Error& error() const { return *error_; }
  std::shared_ptr<const Error> shared() const { return error_; }

  std::string domain() const override { return "AnyError"; }
  int64_t code() const override { return error_->code(); }
  UserInfo userInfo() const override;
  std::optional<std::string> errorDescription() const override { return error_->errorDescription(); }
  std::optional<std::string> failureReason() const override { return error_->failureReason(); }
  std::optional<std::string> recoverySuggestion() const override { return error_->recoverySuggestion(); }
  std::optional<std::string> helpAnchor() const override { return error_->helpAnchor(); }
  std::string typeOrCaseName() const override { return "AnyError"; }
  std::string debugFields() const override;

  // Equal when the wrapped errors print alike to a debugger and have the same domain and code.
  friend bool operator==(const AnyError& a, const AnyError& b);

 private:
  std::shared_ptr<const Error> error_;
};

// A value that should have been there was not.
class UnexpectedNilError : public Error {
 public:
  UnexpectedNilError(std::optional<std::string> message, std::string file, int64_t line)
      : message_(std::move(message)), file_(std::move(file)), line_(line) {}

  std::optional<std::string> errorDescription() const override { return message_ ? *message_ : locationText(); }
  std::optional<std::string> failureReason() const override { return locationText(); }
  std::string typeOrCaseName() const override { return "UnexpectedNilError"; }

 private:
  std::string locationText() const { return "Unexpected nil encountered at " + file_ + ":" + std::to_string(line_); }

  std::optional<std::string> message_;
  std::string file_;
  int64_t line_;
};

// What a debugger shows for an error: its type and every value it holds (domain, code, the descriptive texts, the
// user info and its debugFields()), so that errors that print alike hold the same. A recovery attempter in the user
// info is told apart by identity, as objects are.
std::string reflectingDescription(const Error& error);

// The error as a plain platform error (domain, code and a user info that also carries the descriptive texts).
PlatformError asNSError(const Error& error);
// True for errors that the system produced, false for the program's own error types.
bool isGenuineNSError(const Error& error);
bool isNSError(const Error& error, const std::string& domain, int64_t code);
// The errors listed under the multiple-underlying-errors key; empty when there are none.
ErrorList multipleUnderlyingErrors(const Error& error);
// True when the error, or one error listed under the multiple-underlying-errors key, has that domain and code.
bool matchesNSError(const Error& error, const std::string& domain, int64_t code);
// Same domain and code; the extra entries win over the error's own.
PlatformError appendingUserInfo(const Error& error, const UserInfo& extra);
// The description becomes `prefix`, a space and the error's own description.
PlatformError prefixingLocalizedDescription(const Error& error, const std::string& prefix);

// A plain error in the application's own domain (the application's id, or "<id> - postfix").
PlatformError appError(const std::string& description,
                       const std::optional<std::string>& recoverySuggestion = std::nullopt,
                       const std::vector<RecoveryOption>& recoveryOptions = {},
                       const std::optional<std::string>& helpAnchor = std::nullopt, UserInfo userInfo = {},
                       const std::optional<std::string>& domainPostfix = std::nullopt,
                       std::shared_ptr<const Error> underlyingError = nullptr, const std::any& url = {});

// The text shown when an intent fails with this error: description and suggestion, each ending in one period.
std::string intentFailureText(const GeneralError& error);

// FNV-1a of the text with every curly-quoted span removed, so messages that differ only in quoted names group.
int64_t hashIgnoringQuotedParts(const std::string& text);

}  // namespace kit
