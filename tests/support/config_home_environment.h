#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "platform/prefs/user_defaults.h"
#include "support/temporary_config_home.h"

// The environment of a test program that reads and writes preferences files: a private home (with its config, data
// and cache folders) for the whole program, and no X server, so that nothing touches the files, keys or clipboard
// of whoever runs the tests.
class ConfigHomeEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    home_ = std::make_unique<TemporaryConfigHome>();
    setenv("XDG_DATA_HOME", (home_->path() / "data").c_str(), 1);
    setenv("XDG_CACHE_HOME", (home_->path() / "cache").c_str(), 1);
    setenv("HOME", home_->path().c_str(), 1);
    unsetenv("DISPLAY");
  }
  void TearDown() override {
    // What is still on its way to the preferences file lands before the folder goes.
    platform::UserDefaults::standard().flush();
    home_.reset();
  }

 private:
  std::unique_ptr<TemporaryConfigHome> home_;
};
