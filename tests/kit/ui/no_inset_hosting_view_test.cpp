#include "kit/ui/no_inset_hosting_view.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>
#include <QVBoxLayout>

namespace kit {
namespace {

TEST(NoInsetHostingView, TheContentCoversTheWholeView) {
  QWidget window;
  auto* windowLayout = new QVBoxLayout(&window);
  ASSERT_GT(windowLayout->contentsMargins().left(), 0) << "a plain layout keeps the style's margins";
  auto* host = new NoInsetHostingView(new QLabel("content"));
  windowLayout->addWidget(host);
  window.resize(300, 200);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  EXPECT_EQ(host->content()->geometry(), host->rect());
  window.resize(500, 120);
  QCoreApplication::processEvents();
  EXPECT_EQ(host->content()->geometry(), host->rect());
  EXPECT_TRUE(host->safeAreaInsets().isNull());
}

}  // namespace
}  // namespace kit
