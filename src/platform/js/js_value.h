#pragma once

#include <JavaScriptCore/JavaScript.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

class JSContext;

// A JavaScript value, kept from garbage collection while this handle lives.
class JSValue {
 public:
  JSValue(std::shared_ptr<JSContext> context, JSValueRef value);
  JSValue(const JSValue& other);
  JSValue& operator=(const JSValue& other);
  ~JSValue();

  bool isUndefined() const;
  bool isNull() const;
  bool isString() const;
  bool isNumber() const;
  bool isObject() const;

  // JavaScript's ToString; nothing when the conversion threw.
  std::optional<std::string> toString() const;
  // JavaScript's ToNumber; NaN when the conversion threw.
  double toNumber() const;
  // JavaScript's ToInt32 (NaN and infinities give 0, the rest wraps modulo 2^32).
  int32_t toInt32() const;

  // The property's value, or undefined when this is not an object or reading the property threw.
  JSValue property(std::string_view name) const;
  // False when this is not an object or the assignment threw.
  bool setProperty(std::string_view name, const JSValue& value) const;

  JSContext& context() const { return *context_; }
  JSValueRef ref() const { return value_; }

 private:
  bool mayRunScript() const;

  std::shared_ptr<JSContext> context_;
  JSValueRef value_;
};

// ECMAScript ToInt32 of a number.
int32_t toInt32(double number);

}  // namespace platform
