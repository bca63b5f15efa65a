#include "engine/clipboard_loop_guard.h"

#include <gtest/gtest.h>

namespace {

using engine::ClipboardLoopGuard;
using Verdict = ClipboardLoopGuard::Verdict;
using namespace std::chrono_literals;

const ClipboardLoopGuard::Content rich{"Hello", "<b>Hello</b>", std::nullopt};
const ClipboardLoopGuard::Content plain{"Hello", std::nullopt, std::nullopt};

// Each arrival is cleaned (and so written) unless the guard says otherwise.
Verdict arrive(ClipboardLoopGuard& guard, const ClipboardLoopGuard::Content& content,
               ClipboardLoopGuard::Clock::time_point at) {
  Verdict verdict = guard.check(content, at);
  if (verdict == Verdict::clean) {
    guard.passed(at);
    guard.wrote(plain, at);
  }
  return verdict;
}

TEST(ClipboardLoopGuard, OurWriteComingBackWithoutOurMarkerIsSkippedWhileRecent) {
  ClipboardLoopGuard guard;
  auto t = ClipboardLoopGuard::Clock::now();
  guard.wrote({"Hello", "<a href=\"x\">Hello</a>", "{\\rtf1 Hello}"}, t);
  // A manager may keep all of it, or only the text.
  EXPECT_EQ(guard.check({"Hello", "<a href=\"x\">Hello</a>", "{\\rtf1 Hello}"}, t + 10ms), Verdict::ourWriteCameBack);
  EXPECT_EQ(guard.check(plain, t + 20ms), Verdict::ourWriteCameBack);
  // Other rich text with the same characters is a copy of its own; so is anything after the window.
  EXPECT_EQ(guard.check({"Hello", "<i>Hello</i>", std::nullopt}, t + 30ms), Verdict::clean);
  EXPECT_EQ(guard.check(plain, t + 2s), Verdict::clean);
}

TEST(ClipboardLoopGuard, ContentThatKeepsComingBackIsCleanedTwiceThenLeftAloneUntilItStopsOrChanges) {
  ClipboardLoopGuard guard;
  auto t = ClipboardLoopGuard::Clock::now();
  EXPECT_EQ(arrive(guard, rich, t), Verdict::clean);
  EXPECT_EQ(arrive(guard, rich, t + 300ms), Verdict::clean);
  EXPECT_EQ(arrive(guard, rich, t + 600ms), Verdict::keepsComingBack);  // logged once
  EXPECT_EQ(arrive(guard, rich, t + 900ms), Verdict::stillComingBack);
  // A different copy is cleaned at once; the same one copied again after a pause too.
  EXPECT_EQ(arrive(guard, {"Other", "<b>Other</b>", std::nullopt}, t + 1s), Verdict::clean);
  EXPECT_EQ(arrive(guard, rich, t + 4s), Verdict::clean);
  EXPECT_EQ(arrive(guard, rich, t + 7s), Verdict::clean);
}

TEST(ClipboardLoopGuard, PassesKeepAPaceOfFourASecond) {
  ClipboardLoopGuard guard;
  auto t = ClipboardLoopGuard::Clock::now();
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(guard.waitBeforeNextPass(t + i * 100ms), 0ms);
    guard.passed(t + i * 100ms);
  }
  EXPECT_EQ(guard.waitBeforeNextPass(t + 400ms), 600ms);
  EXPECT_EQ(guard.waitBeforeNextPass(t + 1s), 0ms);
}

}  // namespace
