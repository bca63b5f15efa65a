#include "script_worker/javascript_context.h"

#include <gtest/gtest.h>

#include "kit/foundation/general_error.h"

namespace engine {
namespace {

// Plain script text, as the engine's own scripts are evaluated, follows the return rules of the user's code.
TEST(JavaScriptContextTest, PlainScriptTextGivesAStringNothingOrAnError) {
  auto context = makeForTransforms(platform::JSVirtualMachine::create());
  EXPECT_EQ(evaluateStringResult(*context, "'a' + 'b'"), "ab");
  EXPECT_EQ(evaluateStringResult(*context, "undefined"), std::nullopt);
  EXPECT_EQ(evaluateStringResult(*context, "null"), std::nullopt);
  for (const std::string script : {"42", "({})", "new String('boxed')"}) {
    try {
      evaluateStringResult(*context, script);
      ADD_FAILURE() << "no error for " << script;
    } catch (const kit::GeneralError& error) {
      EXPECT_STREQ(error.what(), "Return value must be a string.") << script;
    }
  }
  EXPECT_THROW(evaluateStringResult(*context, "throw new TypeError('bad')"), JavaScriptError);
}

}  // namespace
}  // namespace engine
