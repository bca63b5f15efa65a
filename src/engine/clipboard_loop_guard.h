#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

namespace engine {

// Keeps automatic clearing from fighting a client that answers each of our writes by taking the clipboard back: a
// clipboard manager, with our own text without our marker or with the copy we just cleaned; or the program of the
// copy itself, with its own rich copy (a remote desktop's clipboard synchroniser). What tells a person copying the
// same content again from a program offering it again is the person's input: a person's copy follows a key, button or
// touch press, or comes while a key is held (the server repeats it, and repeats show only as the key held down). The
// same content offered again after a press since our last pass, or by its own client while a key is held, is a
// person's copy, cleaned every time and at once. Offered again with no input, at any delay, it is a program's: cleaned
// three times (twice when another client brings it back), then left alone until the content changes or the person
// acts. Distinct content is always cleaned. Where the desktop does not show the presses, time stands in: content back
// within 250 ms of our write is taken for a program's. Content coming back right after our write keeps a pace.
class ClipboardLoopGuard {
 public:
  using Clock = std::chrono::steady_clock;
  // Tells apart the clients that own the clipboard; none when it cannot be told.
  using Owner = std::optional<uint64_t>;

  // Within this time of our write, our own text coming back is ours; by time alone, within this time of its last
  // arrival, the same content arriving again is coming back rather than copied anew.
  static constexpr std::chrono::seconds window{2};
  // Sooner than this after our write and with no press since, another client's new content is a clipboard manager's;
  // by time alone, the same client offering its copy again that soon is a program's.
  static constexpr std::chrono::milliseconds rightAfterOurWrite{250};
  // The pace of passes on content that comes back right after our write.
  static constexpr int passesPerSecond = 4;
  // How often content that another client keeps bringing back is cleaned before it is left alone.
  static constexpr int cleaningsOfReturningContent = 2;
  // How often content that its own client offers again with no input (by time alone: right after each of our writes)
  // is cleaned before it is left alone.
  static constexpr int cleaningsOfContentOfferedAgainAtOnce = 3;

  // The person's input, as the guard reads it when it decides.
  class Input {
   public:
    virtual ~Input() = default;
    // Key, button and touch presses counted so far: two readings differ when something was pressed between them.
    // None where the desktop does not show them.
    virtual std::optional<uint64_t> pressesSoFar() = 0;
    // Whether a key other than a modifier is held down now.
    virtual bool keyHeld() = 0;
  };

  // Goes by time alone.
  ClipboardLoopGuard() = default;
  // Goes by the person's input while `input` shows the presses, by time where it does not. `input` outlives the guard.
  explicit ClipboardLoopGuard(Input& input) : input_(&input) {}

  // Text as read from the clipboard or written to it; the rich forms only where they were read or written. The guard
  // keeps none of it: the bytes need to live only for the call they are passed to.
  struct Content {
    std::optional<std::string_view> text, html, rtf;
  };

  // What a write puts on the clipboard, as the guard recognises it: each text's length and a digest of its bytes, so
  // that a large write is recognised without being kept. Made before the write, while its bytes are at hand.
  class WrittenContent {
   public:
    WrittenContent(const Content& content);  // implicit: a write is noted with the content it wrote

   private:
    friend class ClipboardLoopGuard;
    struct Digest {
      std::size_t length = 0;
      std::string bytes;
    };
    static std::optional<Digest> digestOf(const std::optional<std::string_view>& text);
    // Whether `read` is the text that `written` stands for (both none counts too).
    static bool matches(const std::optional<std::string_view>& read, const std::optional<Digest>& written);
    std::optional<Digest> text_, html_, rtf_;
  };

  enum class Verdict {
    clean,
    notYet,            // comes back faster than the pace: decide again after waitBeforeNextPass()
    ourWriteCameBack,  // our last write without our marker: nothing to do
    keepsComingBack,   // left alone, with nothing written for the other client to answer
  };

  // How long the next pass must wait to keep the pace; zero when it may run now.
  Clock::duration waitBeforeNextPass(Clock::time_point now) const;
  // The verdict on a change with `content`, owned by `owner`; noted as an arrival of that content unless it is
  // not yet to be decided.
  Verdict check(const Content& content, Owner owner, Clock::time_point now);
  // A pass ran on the content of the last check.
  void passed(Clock::time_point now);
  // We wrote `content` to the clipboard.
  void wrote(WrittenContent content, Clock::time_point now);

 private:
  struct Run {
    std::size_t fingerprint = 0;
    Owner origin;  // the client the copy came from
    Clock::time_point lastArrival;
    int cleanings = 0;
    bool repeating = false;  // its last arrival came while the person held a key
  };
  struct Write {
    WrittenContent content;
    Clock::time_point at;
  };

  // Content that the pace holds back, since it came.
  struct HeldBack {
    std::size_t fingerprint = 0;
    Clock::time_point since;
  };

  bool isOurWrite(const Content& content, Clock::time_point now) const;
  Clock::time_point arrivalOf(std::size_t fingerprint, Clock::time_point now);
  // Whether the person pressed something since our last pass, `presses` being the count now.
  bool pressedSinceLastPass(uint64_t presses) const { return presses != pressesAtLastPass_; }
  void notePresses();

  Input* input_ = nullptr;
  // The presses counted when we last cleaned or wrote; none before that, or where they are not shown.
  std::optional<uint64_t> pressesAtLastPass_;

  std::optional<Write> lastWrite_;
  std::optional<Run> run_;
  std::optional<HeldBack> heldBack_;
  std::deque<Clock::time_point> passes_;
};

}  // namespace engine
