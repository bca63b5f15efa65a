#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <optional>
#include <string>

namespace engine {

// Keeps automatic clearing from fighting a clipboard manager that answers each of our writes by taking the
// clipboard back: with our own text without our marker, or with the copy we just cleaned. It also spaces passes
// out, whatever arrives.
class ClipboardLoopGuard {
 public:
  using Clock = std::chrono::steady_clock;

  // Within this time of our write, our own text coming back is ours; within this time of its last arrival, the
  // same content arriving again is coming back rather than copied anew.
  static constexpr std::chrono::seconds window{2};
  static constexpr int passesPerSecond = 4;
  // How often content that keeps coming back is cleaned before it is left alone.
  static constexpr int cleaningsOfReturningContent = 2;

  // Text as read from the clipboard or written to it; the rich forms only where they were read or written.
  struct Content {
    std::optional<std::string> text, html, rtf;
  };

  enum class Verdict {
    clean,
    ourWriteCameBack,  // our last write without our marker: nothing to do
    keepsComingBack,   // left alone; the first time of a run, so worth a line in the log
    stillComingBack,   // left alone again
  };

  // How long the next pass must wait to keep the pace; zero when it may run now.
  Clock::duration waitBeforeNextPass(Clock::time_point now) const;
  // The verdict on a change with `content`, noted as an arrival of that content.
  Verdict check(const Content& content, Clock::time_point now);
  // A pass ran on the content of the last check.
  void passed(Clock::time_point now);
  // We wrote `content` to the clipboard.
  void wrote(Content content, Clock::time_point now);

 private:
  struct Run {
    std::size_t fingerprint = 0;
    Clock::time_point lastArrival;
    int cleanings = 0;
    bool leftAlone = false;
  };
  struct Write {
    Content content;
    Clock::time_point at;
  };

  bool isOurWrite(const Content& content, Clock::time_point now) const;

  std::optional<Write> lastWrite_;
  std::optional<Run> run_;
  std::deque<Clock::time_point> passes_;
};

}  // namespace engine
