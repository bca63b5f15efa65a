#pragma once

#include <gtest/gtest.h>

#include "platform/core/clock.h"
#include "platform/core/executor.h"

// A test whose main executor is a ManualExecutor that the test drives; work still queued at the end is run
// before the executor goes away.
class ManualMainExecutorTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::setMainExecutorForTesting(&main); }
  void TearDown() override {
    main.runUntilIdle();
    platform::setMainExecutorForTesting(nullptr);
  }
  platform::ManualExecutor main;
};

// The same, with a virtual clock as well: sleeps end only when the test advances the clock.
class VirtualTimeTest : public ManualMainExecutorTest {
 protected:
  void SetUp() override {
    ManualMainExecutorTest::SetUp();
    platform::setClockForTesting(&clock);
  }
  void TearDown() override {
    ManualMainExecutorTest::TearDown();
    platform::setClockForTesting(nullptr);
  }
  platform::VirtualClock clock;
};
