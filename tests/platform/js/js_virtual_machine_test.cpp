#include "platform/js/js_virtual_machine.h"

#include <gtest/gtest.h>

#include <chrono>

#include "platform/js/js_context.h"

namespace {

using namespace std::chrono_literals;

TEST(JSVirtualMachineTest, TimeLimitStopsScriptsThatCatchTheTermination) {
  auto machine = platform::JSVirtualMachine::create();
  machine->setExecutionTimeLimit(50ms);
  auto context = platform::JSContext::create(machine);
  EXPECT_FALSE(machine->didExceedTimeLimit());
  EXPECT_TRUE(context->evaluateScript("1 + 1").has_value());
  EXPECT_FALSE(machine->didExceedTimeLimit());

  EXPECT_FALSE(context->evaluateScript("for (;;) { try { while (true) {} } catch (e) {} }").has_value());
  EXPECT_TRUE(machine->didExceedTimeLimit());
}

}  // namespace
