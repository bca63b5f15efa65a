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

// A guard made without the person's input goes by time alone, as where the desktop does not show the presses.

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

TEST(ClipboardLoopGuard, ByTimeAloneTheSameContentOfferedAgainLaterThanRightAfterOurWriteIsCleanedEveryTime) {
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

TEST(ClipboardLoopGuard, ByTimeAloneAProgramTakingTheClipboardBackRightAfterEachWriteGetsAtMostThreePassesAMinute) {
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

// The person's input as a test plays it: each press counted, a key held down or not.
struct PlayedInput final : ClipboardLoopGuard::Input {
  std::optional<uint64_t> presses = 0;  // none: the desktop does not show them
  bool held = false;
  std::optional<uint64_t> pressesSoFar() override { return presses; }
  bool keyHeld() override { return held; }
  void press() { ++*presses; }
};

TEST(ClipboardLoopGuardWithInput, APersonPressingCtrlCAgainAndAgainIsCleanedEveryTimeHoweverSoon) {
  PlayedInput input;
  ClipboardLoopGuard guard(input);
  auto t = ClipboardLoopGuard::Clock::now();
  // Eight presses 40 ms, then 150 ms, after each cleaning; four 1 s apart; the write lands 5 ms after each copy.
  for (auto pause : {40ms, 150ms, 1000ms}) {
    for (int i = 0; i < 8; ++i) {
      input.press();
      EXPECT_EQ(arrive(guard, rich, editor, t, 5ms), Verdict::clean) << "press " << i + 1 << ", " << pause.count();
      t += 5ms + pause;
    }
  }
  // On a machine so busy that each write lands after the next press: that press counts for the write, but its key is
  // still down when its copy comes.
  input.held = true;
  for (int i = 0; i < 4; ++i, t += 60ms) {
    ASSERT_EQ(guard.check(rich, editor, t), Verdict::clean) << "busy " << i + 1;
    guard.passed(t);
    input.press();
    guard.wrote(plain, t + 50ms);
  }
}

TEST(ClipboardLoopGuardWithInput, CtrlCHeldUntilTheServerRepeatsItIsCleanedAtEachRepeatAndAfterTheRelease) {
  PlayedInput input;
  ClipboardLoopGuard guard(input);
  auto t = ClipboardLoopGuard::Clock::now();
  for (int hold = 0; hold < 3; ++hold) {
    // The press, then repeats 660 ms into the hold at 25 a second: no press of their own, only the key held down.
    input.press();
    input.held = true;
    EXPECT_EQ(arrive(guard, rich, editor, t, 2ms), Verdict::clean);
    t += 660ms;
    for (int repeat = 0; repeat < 10; ++repeat, t += 40ms) {
      EXPECT_EQ(arrive(guard, rich, editor, t, 2ms), Verdict::clean) << "repeat " << repeat + 1;
    }
    // The last repeat's copy decided only after the release is the person's too.
    input.held = false;
    EXPECT_EQ(arrive(guard, rich, editor, t, 2ms), Verdict::clean) << "after the release";
    t += 1s;
  }
  // A key held while another client brings the copy back is no repeat of the copy: a manager is bounded as ever.
  input.press();
  input.held = true;
  EXPECT_EQ(arrive(guard, rich, editor, t), Verdict::clean);
  EXPECT_EQ(arrive(guard, rich, manager, t + 10ms), Verdict::clean);
  EXPECT_EQ(arrive(guard, rich, manager, t + 20ms), Verdict::keepsComingBack);
}

TEST(ClipboardLoopGuardWithInput, AProgramOfferingItsCopyAgainWithNoInputGetsAtMostThreePassesAMinuteAtAnyDelay) {
  for (auto answersAfter : {0ms, 100ms, 300ms, 600ms, 1000ms, 2000ms, 10000ms}) {
    SCOPED_TRACE(std::to_string(answersAfter.count()) + " ms after each write");
    PlayedInput input;
    ClipboardLoopGuard guard(input);
    Reasserting loop = reassertingApplication(guard, ClipboardLoopGuard::Clock::now(), answersAfter);
    EXPECT_GE(loop.passes, 1);
    EXPECT_LE(loop.passes, 3);
    // The person pressing something (copying the same text again, say) makes it a copy of its own, and the program's
    // answers to that cleaning are bounded again.
    input.press();
    loop = reassertingApplication(guard, loop.lastOffered + 1s, answersAfter);
    EXPECT_GE(loop.passes, 1);
    EXPECT_LE(loop.passes, 3);
  }
  // Where the desktop does not show the presses, time stands in: a program answering at once is still bounded.
  PlayedInput unseen;
  unseen.presses.reset();
  ClipboardLoopGuard guard(unseen);
  EXPECT_LE(reassertingApplication(guard, ClipboardLoopGuard::Clock::now(), 1ms).passes, 3);
}

TEST(ClipboardLoopGuardWithInput, ClipboardManagersAndDistinctCopiesAreAsWithoutIt) {
  PlayedInput input;
  ClipboardLoopGuard guard(input);
  auto t = ClipboardLoopGuard::Clock::now();
  // Our own text back without our marker; the copy we cleaned brought back by another client, twice at most.
  input.press();
  EXPECT_EQ(arrive(guard, rich, editor, t), Verdict::clean);
  EXPECT_EQ(guard.check(plain, manager, t + 5ms), Verdict::ourWriteCameBack);
  EXPECT_EQ(arrive(guard, rich, manager, t + 10ms), Verdict::clean);
  EXPECT_EQ(arrive(guard, rich, manager, t + 20ms), Verdict::keepsComingBack);
  EXPECT_EQ(arrive(guard, rich, manager, t + 5s), Verdict::keepsComingBack) << "however late, with nothing pressed";
  // A manager that kept only part of the copy takes the clipboard back at once: its content is the copy's, from
  // another client, not a copy of its own.
  const ClipboardLoopGuard::Content kept{std::nullopt, "<b>Other</b>", std::nullopt};
  input.press();
  EXPECT_EQ(arrive(guard, {"Other", "<b>Other</b>", std::nullopt}, editor, t + 6s), Verdict::clean);
  EXPECT_EQ(arrive(guard, kept, manager, t + 6s + 10ms), Verdict::clean);
  EXPECT_EQ(arrive(guard, kept, manager, t + 6s + 20ms), Verdict::clean);
  EXPECT_EQ(arrive(guard, kept, manager, t + 6s + 30ms), Verdict::keepsComingBack);
  // Distinct copies are cleaned at once with no input at all.
  for (int i = 0; i < 8; ++i) {
    std::string text = "copy " + std::to_string(i);
    EXPECT_EQ(arrive(guard, {text, "<b>" + text + "</b>", std::nullopt}, editor, t + 7s + i * 50ms), Verdict::clean);
  }
}

}  // namespace
