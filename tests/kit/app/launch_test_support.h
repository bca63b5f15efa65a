#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "platform/prefs/user_defaults.h"

// A preferences suite of its own for each test, in a real file: relaunch() opens it afresh from the file, as a new
// process would.
class LaunchHistoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    name_ = std::string("launch-history-") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    suite_ = platform::UserDefaults::named(name_);
    ASSERT_TRUE(suite_);
  }
  void TearDown() override {
    auto path = suite_->filePath();
    suite_.reset();
    std::filesystem::remove(path);
  }

  // Ends the "process": writes the file and drops the suite, then opens it again from the file.
  platform::UserDefaults& relaunch() {
    suite_->flush();
    suite_.reset();
    suite_ = platform::UserDefaults::named(name_);
    return *suite_;
  }

  std::string fileText() {
    suite_->flush();
    std::ifstream file(suite_->filePath());
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
  }

  std::string name_;
  std::shared_ptr<platform::UserDefaults> suite_;
};
