#include "platform/core/rx_subjects.h"

#include <gtest/gtest.h>

#include <vector>

using namespace platform::rx;

namespace {

TEST(SubjectTest, PassthroughKeepsNothingAndAFinishedSubjectFinishesLateSubscribers) {
  PassthroughSubject<int> subject;
  subject.send(1);  // nobody listens yet
  std::vector<int> seen;
  bool finished = false;
  auto early = subject.publisher().sink([&](const int& v) { seen.push_back(v); }, [&] { finished = true; });
  subject.send(2);
  subject.finish();
  subject.send(3);
  EXPECT_EQ(seen, std::vector<int>{2});
  EXPECT_TRUE(finished);

  bool lateFinished = false;
  auto late = subject.publisher().sink([](const int&) {}, [&] { lateFinished = true; });
  EXPECT_TRUE(lateFinished);
}

TEST(SubjectTest, CurrentValueSubjectReplaysAndSendIfChangedSkipsEqualValues) {
  CurrentValueSubject<int> subject(1);
  std::vector<int> seen;
  auto c = subject.publisher().sink([&](const int& v) { seen.push_back(v); });
  EXPECT_FALSE(subject.sendIfChanged(1));
  EXPECT_TRUE(subject.sendIfChanged(2));
  subject.send(2);
  EXPECT_EQ(seen, (std::vector<int>{1, 2, 2}));
  EXPECT_EQ(subject.value(), 2);
}

}  // namespace
