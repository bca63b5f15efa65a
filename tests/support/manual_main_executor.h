#pragma once

#include <gtest/gtest.h>

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
