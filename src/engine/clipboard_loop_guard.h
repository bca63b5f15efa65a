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
// clipboard manager, with our own text without our marker or with the copy we just cleaned; or the application of
// the copy itself, with its own rich copy (a remote desktop's clipboard synchroniser). A manager takes it back soon
// after our write, from another client than the one the copy came from; an application takes it back right after
// our write, sooner than a user could copy again, and again and again. A user who copies the same content again in
// its application is cleaned every time. Content coming back right after our write keeps a pace.
class ClipboardLoopGuard {
 public:
  using Clock = std::chrono::steady_clock;
  // Tells apart the clients that own the clipboard; none when it cannot be told.
  using Owner = std::optional<uint64_t>;

  // Within this time of our write, our own text coming back is ours; within this time of its last arrival, the
  // same content arriving again is coming back rather than copied anew.
  static constexpr std::chrono::seconds window{2};
  // Sooner than this after our write, another client's new content is a clipboard manager's; the same client offering
  // its copy again that soon is the user copying again only once or twice in a row.
  static constexpr std::chrono::milliseconds rightAfterOurWrite{250};
  // The pace of passes on content that comes back right after our write.
  static constexpr int passesPerSecond = 4;
  // How often content that another client keeps bringing back is cleaned before it is left alone.
  static constexpr int cleaningsOfReturningContent = 2;
  // How often content that its application offers again right after each of our writes is cleaned before it is left
  // alone: a user copying again that soon twice in a row is cleaned every time.
  static constexpr int cleaningsOfContentOfferedAgainAtOnce = 3;

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

  std::optional<Write> lastWrite_;
  std::optional<Run> run_;
  std::optional<HeldBack> heldBack_;
  std::deque<Clock::time_point> passes_;
};

}  // namespace engine
