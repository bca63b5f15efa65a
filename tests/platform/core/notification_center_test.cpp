#include "platform/core/notification_center.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace platform;

namespace {

TEST(NotificationCenterTest, DeliversByNameUntilTheTokenGoes) {
  NotificationCenter center;
  std::vector<std::string> seen;
  {
    auto token = center.addObserver(
        "Changed", [&](const Notification& n) { seen.push_back(std::any_cast<std::string>(n.userInfo.at("name"))); });
    center.post({"Changed", {{"name", std::string("a")}}});
    center.post({"Other", {{"name", std::string("b")}}});
  }
  center.post({"Changed", {{"name", std::string("c")}}});
  EXPECT_EQ(seen, std::vector<std::string>{"a"});
}

TEST(NotificationCenterTest, ObserverMayRemoveItselfAndOthersDuringDelivery) {
  NotificationCenter center;
  int first = 0, second = 0;
  rx::AnyCancellable a, b;
  a = center.addObserver("N", [&](const Notification&) {
    ++first;
    a.cancel();
    b.cancel();  // the second observer is not called for this post either
  });
  b = center.addObserver("N", [&](const Notification&) { ++second; });
  center.post({"N", {}});
  center.post({"N", {}});
  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 0);
}

TEST(NotificationCenterTest, TokenOutlivingItsCentreDoesNothing) {
  auto center = std::make_unique<NotificationCenter>();
  auto token = center->addObserver("N", [](const Notification&) {});
  center.reset();
  token.cancel();  // no crash
}

}  // namespace
