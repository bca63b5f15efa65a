#include "engine/clipboard_loop_guard.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

using engine::ClipboardLoopGuard;
using Verdict = ClipboardLoopGuard::Verdict;
using namespace std::chrono_literals;

const ClipboardLoopGuard::Content rich{"Hello", "<b>Hello</b>", std::nullopt};
const ClipboardLoopGuard::Content plain{"Hello", std::nullopt, std::nullopt};
// The clients: the application the user copies in, and a clipboard manager.
constexpr uint64_t editor = 0x400000, manager = 0x600000;

// Each arrival is cleaned (and so written, `writtenAfter` it) unless the guard says otherwise.
Verdict arrive(ClipboardLoopGuard& guard, const ClipboardLoopGuard::Content& content, uint64_t owner,
               ClipboardLoopGuard::Clock::time_point at,
               ClipboardLoopGuard::Clock::duration writtenAfter = ClipboardLoopGuard::Clock::duration::zero()) {
  Verdict verdict = guard.check(content, owner, at);
  if (verdict == Verdict::clean) {
    guard.passed(at);
    guard.wrote(plain, at + writtenAfter);
  }
  return verdict;
}

TEST(ClipboardLoopGuard, OurWriteComingBackWithoutOurMarkerIsSkippedWhileRecent) {
  ClipboardLoopGuard guard;
  auto t = ClipboardLoopGuard::Clock::now();
  guard.wrote(ClipboardLoopGuard::Content{"Hello", "<a href=\"x\">Hello</a>", "{\\rtf1 Hello}"}, t);
  // A manager may keep all of it, or only the text.
  EXPECT_EQ(guard.check({"Hello", "<a href=\"x\">Hello</a>", "{\\rtf1 Hello}"}, manager, t + 10ms),
            Verdict::ourWriteCameBack);
  EXPECT_EQ(guard.check(plain, manager, t + 20ms), Verdict::ourWriteCameBack);
  // Other rich text with the same characters is a copy of its own; so is anything after the window.
  EXPECT_EQ(guard.check({"Hello", "<i>Hello</i>", std::nullopt}, editor, t + 30ms), Verdict::clean);
  // The guard keeps no bytes of its own: a text of the same length that differs by a byte is no write of ours.
  EXPECT_EQ(guard.check({"Hellp", std::nullopt, std::nullopt}, editor, t + 40ms), Verdict::clean);
  EXPECT_EQ(guard.check({"Hello", "<a href=\"x\">Hellp</a>", std::nullopt}, manager, t + 50ms), Verdict::clean);
  EXPECT_EQ(guard.check(plain, editor, t + 2s), Verdict::clean);
}

TEST(ClipboardLoopGuard, AnotherClientBringingTheCopyBackRightAfterOurWriteIsCleanedTwiceThenLeftAlone) {
  ClipboardLoopGuard guard;
  auto t = ClipboardLoopGuard::Clock::now();
  EXPECT_EQ(arrive(guard, rich, editor, t), Verdict::clean);
  EXPECT_EQ(arrive(guard, rich, manager, t + 300ms), Verdict::clean);
  EXPECT_EQ(arrive(guard, rich, manager, t + 600ms), Verdict::keepsComingBack);
  // A different copy is cleaned at once; the same one copied again after a pause too.
  EXPECT_EQ(arrive(guard, {"Other", "<b>Other</b>", std::nullopt}, editor, t + 1s), Verdict::clean);
  EXPECT_EQ(arrive(guard, rich, manager, t + 4s), Verdict::clean);
  EXPECT_EQ(arrive(guard, rich, manager, t + 7s), Verdict::clean);
}

TEST(ClipboardLoopGuard, AManagerTakingTheClipboardBackWithPartOfTheCopyIsStillAManager) {
  ClipboardLoopGuard guard;
  auto t = ClipboardLoopGuard::Clock::now();
  const ClipboardLoopGuard::Content kept{std::nullopt, "<b>Hello</b>", std::nullopt};  // it kept the HTML only
  EXPECT_EQ(arrive(guard, rich, editor, t), Verdict::clean);
  EXPECT_EQ(arrive(guard, kept, manager, t + 20ms), Verdict::clean);
  EXPECT_EQ(arrive(guard, kept, manager, t + 40ms), Verdict::clean);
  EXPECT_EQ(arrive(guard, kept, manager, t + 60ms), Verdict::keepsComingBack);
  // A user's own copy a moment later is a copy of its own, also when it repeats.
  const ClipboardLoopGuard::Content other{"Other", "<b>Other</b>", std::nullopt};
  EXPECT_EQ(arrive(guard, other, editor, t + 700ms), Verdict::clean);
  EXPECT_EQ(arrive(guard, other, editor, t + 1s), Verdict::clean);
  EXPECT_EQ(arrive(guard, other, editor, t + 1300ms), Verdict::clean);
}

TEST(ClipboardLoopGuard, TheUserCopyingTheSameContentAgainInItsApplicationIsCleanedEveryTime) {
  ClipboardLoopGuard guard;
  auto t = ClipboardLoopGuard::Clock::now();
  for (int i = 0; i < 6; ++i) EXPECT_EQ(arrive(guard, rich, editor, t + i * 300ms), Verdict::clean) << i;
  // After a manager's returns were left alone, the user's next copy of it is cleaned again.
  EXPECT_EQ(arrive(guard, rich, manager, t + 1900ms), Verdict::clean);
  EXPECT_EQ(arrive(guard, rich, manager, t + 2s), Verdict::keepsComingBack);
  EXPECT_EQ(arrive(guard, rich, editor, t + 2300ms), Verdict::clean);
  // Eight times, one to two seconds apart.
  t += 5s;
  for (int i = 0; i < 8; ++i) {
    t += 1s + (i % 3) * 500ms;
    EXPECT_EQ(arrive(guard, rich, editor, t, 20ms), Verdict::clean) << "copy " << i + 1 << " of eight";
  }
  // Three times 300 ms apart on a machine so busy that each write lands 100 ms after the copy: the next copy comes
  // sooner after the write than a client taking the clipboard back would, and a user is still cleaned every time.
  t += 5s;
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(arrive(guard, rich, editor, t + i * 300ms, 100ms), Verdict::clean) << "copy " << i + 1 << " of three";
  }
}

// An application that takes the clipboard back with its own copy `answersAfter` each of our writes, after the user
// copied in it `copiedAt`; passes put off by the pace are decided when it allows, as the controller does.
struct Reasserting {
  int passes = 0;  // within a minute
  ClipboardLoopGuard::Clock::time_point lastOffered;
};

Reasserting reassertingApplication(ClipboardLoopGuard& guard, ClipboardLoopGuard::Clock::time_point copiedAt,
                                   std::chrono::milliseconds answersAfter) {
  Reasserting result;
  std::optional<ClipboardLoopGuard::Clock::time_point> next = copiedAt;
  while (next && *next < copiedAt + 1min) {
    auto at = result.lastOffered = *next;
    next.reset();
    switch (guard.check(rich, editor, at)) {
      case Verdict::clean:
        ++result.passes;
        guard.passed(at);
        guard.wrote(plain, at + 5ms);
        next = at + 5ms + answersAfter;
        break;
      case Verdict::notYet:
        next = at + guard.waitBeforeNextPass(at);
        break;
      case Verdict::keepsComingBack:
      case Verdict::ourWriteCameBack:
        break;  // it keeps the clipboard: nothing more happens
    }
  }
  return result;
}

TEST(ClipboardLoopGuard, AnApplicationTakingTheClipboardBackWithItsCopyAfterEachWriteGetsAtMostThreePassesAMinute) {
  for (auto answersAfter : {1ms, 30ms, 200ms}) {
    SCOPED_TRACE(std::to_string(answersAfter.count()) + " ms after each write");
    ClipboardLoopGuard guard;
    Reasserting loop = reassertingApplication(guard, ClipboardLoopGuard::Clock::now(), answersAfter);
    EXPECT_GE(loop.passes, 1);  // the user's copy
    EXPECT_LE(loop.passes, 3);
    // The user copying in it again a moment after it was left alone is cleaned, and bounds what follows again.
    loop = reassertingApplication(guard, loop.lastOffered + 1s, answersAfter);
    EXPECT_GE(loop.passes, 1);
    EXPECT_LE(loop.passes, 3);
  }
  // The user's quick distinct copies just before leave no room in the pace: the application's answers are held back,
  // and count from when they came.
  ClipboardLoopGuard guard;
  auto t = ClipboardLoopGuard::Clock::now();
  for (int i = 0; i < 3; ++i) {
    std::string text = "copy " + std::to_string(i);
    ASSERT_EQ(arrive(guard, {text, "<b>" + text + "</b>", std::nullopt}, editor, t + i * 1ms), Verdict::clean);
  }
  EXPECT_LE(reassertingApplication(guard, t + 3ms, 10ms).passes, 3);
}

TEST(ClipboardLoopGuard, OnlyContentComingBackRightAfterOurWriteKeepsAPaceOfFourASecond) {
  ClipboardLoopGuard guard;
  auto t = ClipboardLoopGuard::Clock::now();
  // Distinct copies are never held back.
  for (int i = 0; i < 8; ++i) {
    std::string text = "copy " + std::to_string(i);
    EXPECT_EQ(arrive(guard, {text, "<b>" + text + "</b>", std::nullopt}, editor, t + i * 10ms), Verdict::clean);
  }
  EXPECT_EQ(guard.waitBeforeNextPass(t + 80ms), 960ms);
  // The last copy coming back waits, and is not counted as an arrival until it may be decided.
  EXPECT_EQ(guard.check({"copy 7", "<b>copy 7</b>", std::nullopt}, editor, t + 80ms), Verdict::notYet);
  EXPECT_EQ(guard.check({"copy 7", "<b>copy 7</b>", std::nullopt}, editor, t + 1040ms), Verdict::clean);
}

}  // namespace
