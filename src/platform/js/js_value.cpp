#include "platform/js/js_value.h"

#include <cmath>
#include <limits>

#include "platform/js/js_context.h"
#include "platform/js/js_string.h"

namespace platform {

int32_t toInt32(double number) {
  if (!std::isfinite(number)) return 0;
  double wrapped = std::fmod(std::trunc(number), 4294967296.0);
  if (wrapped < 0) wrapped += 4294967296.0;
  return static_cast<int32_t>(static_cast<uint32_t>(wrapped));
}

JSValue::JSValue(std::shared_ptr<JSContext> context, JSValueRef value)
    : context_(std::move(context)), value_(value ? value : JSValueMakeUndefined(context_->ref())) {
  JSValueProtect(context_->ref(), value_);
}

JSValue::JSValue(const JSValue& other) : context_(other.context_), value_(other.value_) {
  JSValueProtect(context_->ref(), value_);
}

JSValue& JSValue::operator=(const JSValue& other) {
  if (this == &other) return *this;
  JSValueProtect(other.context_->ref(), other.value_);
  JSValueUnprotect(context_->ref(), value_);
  context_ = other.context_;
  value_ = other.value_;
  return *this;
}

JSValue::~JSValue() { JSValueUnprotect(context_->ref(), value_); }

bool JSValue::isUndefined() const { return JSValueIsUndefined(context_->ref(), value_); }
bool JSValue::isNull() const { return JSValueIsNull(context_->ref(), value_); }
bool JSValue::isString() const { return JSValueIsString(context_->ref(), value_); }
bool JSValue::isNumber() const { return JSValueIsNumber(context_->ref(), value_); }
bool JSValue::isObject() const { return JSValueIsObject(context_->ref(), value_); }

bool JSValue::mayRunScript() const { return !context_->virtualMachine().didExceedTimeLimit(); }

std::optional<std::string> JSValue::toString() const {
  if (!JSValueIsString(context_->ref(), value_) && !mayRunScript()) return std::nullopt;
  JSValueRef exception = nullptr;
  JSStringRef string = JSValueToStringCopy(context_->ref(), value_, &exception);
  auto handle = JSStringHandle::adopt(string);
  if (exception || !string) return std::nullopt;
  return handle.utf8();
}

double JSValue::toNumber() const {
  if (!mayRunScript()) return std::numeric_limits<double>::quiet_NaN();
  JSValueRef exception = nullptr;
  double number = JSValueToNumber(context_->ref(), value_, &exception);
  return exception ? std::numeric_limits<double>::quiet_NaN() : number;
}

int32_t JSValue::toInt32() const { return platform::toInt32(toNumber()); }

JSValue JSValue::property(std::string_view name) const {
  JSContextRef context = context_->ref();
  if (!JSValueIsObject(context, value_) || !mayRunScript()) return JSValue(context_, nullptr);
  JSValueRef exception = nullptr;
  JSObjectRef object = JSValueToObject(context, value_, &exception);
  if (exception || !object) return JSValue(context_, nullptr);
  JSStringHandle key(name);
  JSValueRef result = JSObjectGetProperty(context, object, key.get(), &exception);
  return JSValue(context_, exception ? nullptr : result);
}

bool JSValue::setProperty(std::string_view name, const JSValue& value) const {
  JSContextRef context = context_->ref();
  if (!JSValueIsObject(context, value_) || !mayRunScript()) return false;
  JSValueRef exception = nullptr;
  JSObjectRef object = JSValueToObject(context, value_, &exception);
  if (exception || !object) return false;
  JSStringHandle key(name);
  JSObjectSetProperty(context, object, key.get(), value.ref(), kJSPropertyAttributeNone, &exception);
  return exception == nullptr;
}

}  // namespace platform
