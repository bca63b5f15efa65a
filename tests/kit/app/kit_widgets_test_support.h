#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kit/foundation/alert.h"
#include "kit/ui/url_opening.h"
#include "support/offscreen_application.h"
#include "support/recording_alert_presenter.h"

namespace kit {

// For the kit's menus and windows: one QApplication on the offscreen platform, the addresses the code opens
// recorded instead of reaching a browser, and recorded alerts.
class KitWidgetsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ensureOffscreenApplication(); }
  void SetUp() override {
    setUrlOpenerForTesting([this](const platform::Url& url) {
      opened.push_back(url.absoluteString());
      return true;
    });
    setAlertPresenter(&presenter);
  }
  void TearDown() override {
    setUrlOpenerForTesting({});
    setAlertPresenter(nullptr);
  }

  RecordingAlertPresenter presenter;
  std::vector<std::string> opened;
};

}  // namespace kit
