#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/js/js_value.h"

namespace engine {

// A place in the user's code as the script editor shows it: the line from 1, and the column from 1 counted in
// characters (grapheme clusters) of that line.
struct CodePosition {
  int line = 0;
  int column = 0;
  bool operator==(const CodePosition&) const = default;
};

// The user's code as the engine runs it: the body of an arrow function that is called at once. The wrapper's head
// shares the code's first line, and its tail follows on a line of its own so that a line comment at the end of the
// code is harmless. The engine reports places in the script it ran; this finds them in the code.
class WrappedCode {
 public:
  explicit WrappedCode(std::string_view code);

  const std::string& script() const { return script_; }
  // The name the script runs under, which the engine writes into its errors and their stack frames.
  static constexpr std::string_view sourceUrl = "code";

  // Where in the code `exception`, raised while the script ran, happened: the engine's own place for an error it
  // raised in the script, else the innermost stack frame in the script (console.log of a value without a text
  // fails in the console's own script, called from the code). Nothing for a value the engine did not place in
  // the script, such as an object the code made and threw.
  std::optional<CodePosition> positionOf(const platform::JSValue& exception) const;

 private:
  struct Line {
    std::size_t start;  // byte offsets in the code, without the line's terminator
    std::size_t end;
  };

  // The engine's line and column (from 1, in UTF-16 units of the script's line), which stands just past the
  // part that failed: after a name that is not defined, at the "." of a property read of undefined, at the "("
  // of a call. A name that ends there is shown from its start.
  CodePosition atEngineColumn(int line, int column) const;
  // A SyntaxError of the script itself, for which the engine gives a line but no column: the parser is asked
  // about ever shorter beginnings of the script, and the shortest that fails the same way ends with the token it
  // stumbled on, which is shown from its start.
  CodePosition atSyntaxError(int line, const std::string& message, platform::JSContext& context) const;
  // The place of byte `offset` of line `index` (from 0).
  CodePosition at(std::size_t index, std::size_t offset) const;
  CodePosition endOfCode() const;
  std::string_view line(std::size_t index) const;

  std::string script_;
  std::vector<Line> lines_;
};

}  // namespace engine
