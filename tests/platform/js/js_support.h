#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/js/js_context.h"

namespace js_test {

// A fresh context on a virtual machine of its own.
inline std::shared_ptr<platform::JSContext> makeContext() {
  auto context = platform::JSContext::create(platform::JSVirtualMachine::create());
  EXPECT_NE(context, nullptr);
  return context;
}

// The script's completion value as JavaScript prints it.
inline std::string evaluateToString(platform::JSContext& context, const std::string& script) {
  auto value = context.evaluateScript(script);
  EXPECT_TRUE(value.has_value()) << script;
  return value ? value->toString().value_or("<threw>") : "<none>";
}

}  // namespace js_test
