#pragma once

#include <optional>
#include <string>

#include "kit/foundation/general_error.h"

namespace engine {

// An exception thrown by a user script, with the details the engine attached to it (read in the script worker:
// javaScriptError() in script_worker/javascript_context.h).
class JavaScriptError : public kit::Error {
 public:
  JavaScriptError(std::string name, std::string message, std::string stack, int line, int column,
                  std::optional<std::string> causeMessage = std::nullopt);

  const std::string& name() const { return name_; }
  const std::string& message() const { return message_; }
  const std::string& stack() const { return stack_; }
  // Where in the user's code the error was raised, from 1, the column counted in characters; an object the script
  // threw gives its own "line" and "column", and anything else 0.
  int line() const { return line_; }
  int column() const { return column_; }
  const std::optional<std::string>& causeMessage() const { return causeMessage_; }
  void setCauseMessage(std::optional<std::string> causeMessage) { causeMessage_ = std::move(causeMessage); }

  std::optional<std::string> errorDescription() const override { return message_; }
  std::string typeOrCaseName() const override { return "JavaScriptError"; }
  std::string debugFields() const override;

 private:
  std::string name_;
  std::string message_;
  std::string stack_;
  int line_ = 0;
  int column_ = 0;
  std::optional<std::string> causeMessage_;
};

}  // namespace engine
