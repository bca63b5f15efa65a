#pragma once

#include <JavaScriptCore/JavaScript.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/js/js_value.h"
#include "platform/js/js_virtual_machine.h"

namespace platform {

// One global JavaScript context on a virtual machine. Values made in it keep it (and its machine) alive.
class JSContext : public std::enable_shared_from_this<JSContext> {
  struct Private {};

 public:
  // A native function callable from scripts; it returns undefined to them. A C++ exception it throws
  // reaches the script as an Error with the exception's text.
  using Function = std::function<void(const std::vector<JSValue>& arguments)>;

  // Null when the engine cannot make one.
  static std::shared_ptr<JSContext> create(std::shared_ptr<JSVirtualMachine> machine);

  JSContext(Private, std::shared_ptr<JSVirtualMachine> machine, JSGlobalContextRef context);
  ~JSContext();
  JSContext(const JSContext&) = delete;
  JSContext& operator=(const JSContext&) = delete;

  // Runs `script` (line numbers count from 1). Returns the completion value, or nothing when the script
  // threw (exception() then holds the thrown value) or the engine gave no value. The engine writes
  // `sourceUrl`, when given, into the errors raised in the script and into their stack frames.
  std::optional<JSValue> evaluateScript(std::string_view script, std::string_view sourceUrl = {});
  // Parses `script` without running it: the SyntaxError it raises, or nothing when it parses.
  std::optional<JSValue> syntaxError(std::string_view script);
  // The value thrown by the last evaluation, if it threw.
  std::optional<JSValue> exception();

  JSValue globalObject();
  void setFunction(std::string_view name, Function function);

  JSValue makeString(std::string_view utf8);
  JSValue makeUndefined();

  JSVirtualMachine& virtualMachine() const { return *machine_; }
  JSGlobalContextRef ref() const { return context_; }

  struct NativeFunction {
    JSContext* owner;
    Function function;
  };

 private:
  void setException(JSValueRef exception);

  std::shared_ptr<JSVirtualMachine> machine_;
  JSGlobalContextRef context_;
  JSValueRef exception_ = nullptr;  // protected while held
  std::vector<std::unique_ptr<NativeFunction>> functions_;
};

}  // namespace platform
