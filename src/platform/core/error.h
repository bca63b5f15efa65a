#pragma once

#include <any>
#include <cstdint>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace platform {

class Error;
class ErrorRecoveryAttempter;  // implemented by the kit (recovery options of an alert)

// Values an error's user info can hold. Types that live above this layer (URLs, for example) travel as std::any.
using UserInfoValue = std::variant<std::monostate, bool, int64_t, double, std::string, std::vector<std::string>,
                                   std::shared_ptr<const Error>, std::vector<std::shared_ptr<const Error>>,
                                   std::shared_ptr<ErrorRecoveryAttempter>, std::any>;
using UserInfo = std::map<std::string, UserInfoValue>;

// Well-known user-info keys.
namespace userinfo {
inline constexpr const char* localizedDescription = "NSLocalizedDescription";
inline constexpr const char* localizedFailureReason = "NSLocalizedFailureReason";
inline constexpr const char* localizedFailure = "NSLocalizedFailure";
inline constexpr const char* localizedRecoverySuggestion = "NSLocalizedRecoverySuggestion";
inline constexpr const char* localizedRecoveryOptions = "NSLocalizedRecoveryOptions";
inline constexpr const char* recoveryAttempter = "NSRecoveryAttempter";
inline constexpr const char* helpAnchor = "NSHelpAnchor";
inline constexpr const char* underlyingError = "NSUnderlyingError";
inline constexpr const char* multipleUnderlyingErrors = "NSMultipleUnderlyingErrorsKey";
inline constexpr const char* url = "NSURL";
inline constexpr const char* filePath = "NSFilePath";
}  // namespace userinfo

// The one base of every error in every layer. Derived types override what they know; the defaults follow
// the platform conventions: the domain is the type name, the code 1, the description taken from the user info.
class Error : public std::exception {
 public:
  Error() = default;
  Error(const Error& other) : std::exception(other) {}
  Error& operator=(const Error&) { return *this; }
  ~Error() override = default;

  virtual std::string domain() const { return typeOrCaseName(); }
  virtual int64_t code() const { return 1; }
  virtual UserInfo userInfo() const { return {}; }
  virtual std::optional<std::string> errorDescription() const;
  virtual std::optional<std::string> failureReason() const { return std::nullopt; }
  virtual std::optional<std::string> recoverySuggestion() const;
  virtual std::optional<std::string> helpAnchor() const;
  // The type or case name that error reporting puts into its code text ("GeneralError", "invalidFormat").
  virtual std::string typeOrCaseName() const = 0;
  // True for errors that stand for an error the system produced (a file-system or library failure).
  virtual bool isPlatformError() const { return false; }
  // The values it holds that the members above do not report (a coding path, a script's stack), as a debugger lists
  // them: "name: value, name: value". Empty when there are none.
  virtual std::string debugFields() const { return {}; }

  // errorDescription, else the user info's description, else a generic text naming domain and code.
  std::string localizedDescription() const;
  const char* what() const noexcept override;

 private:
  mutable std::once_flag whatOnce_;
  mutable std::string what_;
};

// An error of any domain and code, as the system reports them (errno failures, library errors).
class PlatformError final : public Error {
 public:
  PlatformError(std::string domain, int64_t code, UserInfo userInfo = {});
  // The domain of errno failures.
  static constexpr const char* posixDomain = "NSPOSIXErrorDomain";
  // A POSIX failure: domain posixDomain, code the errno value, description strerror's text (prefixed with `context`
  // when given).
  static PlatformError posix(int errnoValue, const std::string& context = {});

  std::string domain() const override { return domain_; }
  int64_t code() const override { return code_; }
  UserInfo userInfo() const override { return userInfo_; }
  // Its plain description begins "Error Domain=...", so reporting groups it under the name "Error".
  std::string typeOrCaseName() const override { return "Error"; }
  bool isPlatformError() const override { return true; }

 private:
  std::string domain_;
  int64_t code_;
  UserInfo userInfo_;
};

// Thrown when a task notices it was cancelled. Reporting drops it.
class CancellationError final : public Error {
 public:
  std::string domain() const override { return "CancellationError"; }
  int64_t code() const override { return 1; }
  std::optional<std::string> errorDescription() const override { return "The operation was cancelled."; }
  std::string typeOrCaseName() const override { return "CancellationError"; }
};

// Reads a string entry of a user info, if it holds one.
std::optional<std::string> userInfoString(const UserInfo& info, const std::string& key);

// Whether an exception_ptr holds a CancellationError.
bool isCancellationError(const std::exception_ptr& error);

}  // namespace platform
