#pragma once

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "engine/javascript_run.h"
#include "platform/text/utf8.h"

// The messages between the program and its script worker: a kind, then the fields in a fixed order. Numbers
// travel in this machine's own form, texts with their length first.
namespace engine::javascriptworker {

// From the program: a run. From the worker: ready, a log line, the count of the log lines it did not send (at
// most once a run, before the outcome), and the run's outcome.
enum Kind : char {
  runRequest = 'R',
  ready = 'W',
  logLine = 'L',
  logLinesOmitted = 'O',
  textResult = 'S',
  noResult = 'N',
  scriptException = 'J',
  otherFailure = 'G',
};

// The largest message the worker sends: a result at its limit, with room for the message's own fields. Log lines
// and the texts of failures are cut to longestConsoleLine, so they always fit.
inline constexpr size_t largestWorkerMessage = scriptResultLimit + (size_t{64} << 10);

// The text cut to at most `limit` bytes, at a character boundary, with "…" where it was cut.
inline std::string cutText(std::string_view text, size_t limit) {
  if (text.size() <= limit) return std::string(text);
  return std::string(platform::utf8Prefix(text, limit)) + "…";
}

class MessageWriter {
 public:
  explicit MessageWriter(Kind kind) : bytes_(1, kind) {}
  MessageWriter& addText(std::string_view text) {
    addNumber(static_cast<uint32_t>(text.size()));
    bytes_.append(text);
    return *this;
  }
  MessageWriter& addOptionalText(const std::optional<std::string>& text) {
    addNumber(text.has_value());
    return text ? addText(*text) : *this;
  }
  template <class Number>
  MessageWriter& addNumber(Number number) {
    bytes_.append(reinterpret_cast<const char*>(&number), sizeof number);
    return *this;
  }
  std::string take() { return std::move(bytes_); }

 private:
  std::string bytes_;
};

// Reads what MessageWriter wrote; a short or malformed message reads as empty values and fails ok().
class MessageReader {
 public:
  explicit MessageReader(std::string_view message) : rest_(message) { kind_ = number<char>(); }
  char kind() const { return kind_; }
  bool ok() const { return ok_; }

  std::string text() {
    auto size = number<uint32_t>();
    if (size > rest_.size()) return fail<std::string>();
    std::string result(rest_.substr(0, size));
    rest_.remove_prefix(size);
    return result;
  }
  std::optional<std::string> optionalText() {
    if (!number<bool>()) return std::nullopt;
    return text();
  }
  template <class Number>
  Number number() {
    Number number{};
    if (rest_.size() < sizeof number) return fail<Number>();
    std::memcpy(&number, rest_.data(), sizeof number);
    rest_.remove_prefix(sizeof number);
    return number;
  }

 private:
  template <class T>
  T fail() {
    ok_ = false;
    rest_ = {};
    return T{};
  }

  std::string_view rest_;
  char kind_ = 0;
  bool ok_ = true;
};

}  // namespace engine::javascriptworker
