#include "engine/clipboard_loop_guard.h"

#include <gtest/gtest.h>

namespace {

using engine::ClipboardLoopGuard;
using Verdict = ClipboardLoopGuard::Verdict;
using namespace std::chrono_literals;

const ClipboardLoopGuard::Content rich{"Hello", "<b>Hello</b>", std::nullopt};
const ClipboardLoopGuard::Content plain{"Hello", std::nullopt, std::nullopt};
// The clients: the application the user copies in, and a clipboard manager.
constexpr uint64_t editor = 0x400000, manager = 0x600000;

// Each arrival is cleaned (and so written) unless the guard says otherwise.
Verdict arrive(ClipboardLoopGuard& guard, const ClipboardLoopGuard::Content& content, uint64_t owner,
               ClipboardLoopGuard::Clock::time_point at) {
  Verdict verdict = guard.check(content, owner, at);
  if (verdict == Verdict::clean) {
    guard.passed(at);
    guard.wrote(plain, at);
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
