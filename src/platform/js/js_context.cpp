#include "platform/js/js_context.h"

#include <exception>

#include "platform/js/js_string.h"

namespace platform {

namespace {

JSValueRef callNativeFunction(JSContextRef context, JSObjectRef callee, JSObjectRef, size_t argumentCount,
                              const JSValueRef arguments[], JSValueRef* exception) {
  auto* native = static_cast<JSContext::NativeFunction*>(JSObjectGetPrivate(callee));
  if (!native) return JSValueMakeUndefined(context);
  try {
    auto owner = native->owner->shared_from_this();
    std::vector<JSValue> values;
    values.reserve(argumentCount);
    for (size_t index = 0; index < argumentCount; ++index) values.emplace_back(owner, arguments[index]);
    native->function(values);
  } catch (const std::exception& error) {
    JSStringHandle message(error.what());
    JSValueRef argument = JSValueMakeString(context, message.get());
    *exception = JSObjectMakeError(context, 1, &argument, nullptr);
  } catch (...) {
    JSStringHandle message("Native function failed.");
    JSValueRef argument = JSValueMakeString(context, message.get());
    *exception = JSObjectMakeError(context, 1, &argument, nullptr);
  }
  return JSValueMakeUndefined(context);
}

JSClassRef nativeFunctionClass() {
  static JSClassRef functionClass = [] {
    JSClassDefinition definition = kJSClassDefinitionEmpty;
    definition.className = "NativeFunction";
    definition.attributes = kJSClassAttributeNoAutomaticPrototype;
    definition.callAsFunction = &callNativeFunction;
    return JSClassCreate(&definition);
  }();
  return functionClass;
}

}  // namespace

std::shared_ptr<JSContext> JSContext::create(std::shared_ptr<JSVirtualMachine> machine) {
  if (!machine) return nullptr;
  JSGlobalContextRef context = JSGlobalContextCreateInGroup(machine->group(), nullptr);
  if (!context) return nullptr;
  return std::make_shared<JSContext>(Private{}, std::move(machine), context);
}

JSContext::JSContext(Private, std::shared_ptr<JSVirtualMachine> machine, JSGlobalContextRef context)
    : machine_(std::move(machine)), context_(context) {}

JSContext::~JSContext() {
  setException(nullptr);
  JSGlobalContextRelease(context_);
}

void JSContext::setException(JSValueRef exception) {
  if (exception) JSValueProtect(context_, exception);
  if (exception_) JSValueUnprotect(context_, exception_);
  exception_ = exception;
}

std::optional<JSValue> JSContext::evaluateScript(std::string_view script, std::string_view sourceUrl) {
  setException(nullptr);
  if (machine_->didExceedTimeLimit()) return std::nullopt;
  JSStringHandle source(script);
  std::optional<JSStringHandle> url;
  if (!sourceUrl.empty()) url.emplace(sourceUrl);
  JSValueRef exception = nullptr;
  JSValueRef result = JSEvaluateScript(context_, source.get(), nullptr, url ? url->get() : nullptr, 1, &exception);
  if (exception) {
    setException(exception);
    return std::nullopt;
  }
  if (!result) return std::nullopt;
  return JSValue(shared_from_this(), result);
}

std::optional<JSValue> JSContext::syntaxError(std::string_view script) {
  JSStringHandle source(script);
  JSValueRef exception = nullptr;
  if (JSCheckScriptSyntax(context_, source.get(), nullptr, 1, &exception) || !exception) return std::nullopt;
  return JSValue(shared_from_this(), exception);
}

std::optional<JSValue> JSContext::exception() {
  if (!exception_) return std::nullopt;
  return JSValue(shared_from_this(), exception_);
}

JSValue JSContext::globalObject() { return JSValue(shared_from_this(), JSContextGetGlobalObject(context_)); }

void JSContext::setFunction(std::string_view name, Function function) {
  // The context owns the function: scripts can call it only while the context lives.
  functions_.push_back(std::make_unique<NativeFunction>(NativeFunction{this, std::move(function)}));
  JSObjectRef object = JSObjectMake(context_, nativeFunctionClass(), functions_.back().get());
  globalObject().setProperty(name, JSValue(shared_from_this(), object));
}

JSValue JSContext::makeString(std::string_view utf8) {
  JSStringHandle string(utf8);
  return JSValue(shared_from_this(), JSValueMakeString(context_, string.get()));
}

JSValue JSContext::makeUndefined() { return JSValue(shared_from_this(), JSValueMakeUndefined(context_)); }

}  // namespace platform
