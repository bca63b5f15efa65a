#include "kit/foundation/object_lifetime.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>

#include "kit/foundation/app_termination.h"
#include "support/event_loop.h"

namespace {

TEST(ObjectAssociation, ValuesAreReleasedWithTheirObject) {
  static kit::ObjectAssociation<std::shared_ptr<int>> slot(nullptr);
  auto value = std::make_shared<int>(1);
  std::weak_ptr<int> watch = value;
  {
    QObject object;
    slot.set(&object, std::move(value));
    EXPECT_FALSE(watch.expired());
  }
  EXPECT_TRUE(watch.expired());
}

TEST(ObjectAssociation, AnAssignedObjectIsHeldWeaklyAndReadsTheDefaultOnceGone) {
  static kit::ObjectAssociation<std::shared_ptr<int>> weakSlot(nullptr, kit::AssociationPolicy::assign);
  static kit::ObjectAssociation<std::shared_ptr<int>> strongSlot(nullptr, kit::AssociationPolicy::retainNonatomic);
  QObject object;
  auto weaklyHeld = std::make_shared<int>(1);
  auto stronglyHeld = std::make_shared<int>(2);
  std::weak_ptr<int> watchStrong = stronglyHeld;
  weakSlot.set(&object, weaklyHeld);
  strongSlot.set(&object, std::move(stronglyHeld));
  EXPECT_EQ(weakSlot.get(&object), weaklyHeld);
  EXPECT_EQ(*strongSlot.get(&object), 2);

  weaklyHeld.reset();
  EXPECT_EQ(weakSlot.get(&object), nullptr);
  EXPECT_FALSE(watchStrong.expired());

  // A copying slot keeps what the object was when it was stored.
  static kit::ObjectAssociation<std::shared_ptr<int>> copySlot(nullptr, kit::AssociationPolicy::copy);
  auto original = std::make_shared<int>(3);
  copySlot.set(&object, original);
  *original = 4;
  EXPECT_EQ(*copySlot.get(&object), 3);
}

TEST(BundleMarker, IsTheFolderOfTheFileHoldingTheKit) {
  // The kit is linked into this test program.
  auto program = std::filesystem::read_symlink("/proc/self/exe");
  EXPECT_EQ(kit::BundleMarker::bundle(), program.parent_path());
  EXPECT_EQ(&kit::BundleMarker::bundle(), &kit::BundleMarker::bundle());
}

TEST(LifetimeAssociation, TheOwnersEndRunsEachHandlerOnceAndReleasesTheObject) {
  int runs = 0;
  auto kept = std::make_shared<int>(5);
  std::weak_ptr<int> watch = kept;
  auto owner = std::make_unique<QObject>();
  auto first = std::make_unique<kit::LifetimeAssociation>(std::move(kept), owner.get(), [&] { ++runs; });
  kit::LifetimeAssociation second(std::make_shared<int>(6), owner.get(), [&] { ++runs; });
  EXPECT_FALSE(watch.expired());
  owner.reset();
  EXPECT_EQ(runs, 2);
  EXPECT_TRUE(watch.expired());
  first.reset();
  EXPECT_EQ(runs, 2);
}

TEST(LifetimeAssociation, DissolvingSilencesTheHandlerAndReleasingEndsTheTieAtOnce) {
  int runs = 0;
  QObject owner;
  {
    kit::LifetimeAssociation dissolved(std::make_shared<int>(1), &owner, [&] { ++runs; });
    dissolved.dissolve();
    dissolved.dissolve();
  }
  EXPECT_EQ(runs, 0);
  {
    kit::LifetimeAssociation released(std::make_shared<int>(1), &owner, [&] { ++runs; });
  }
  EXPECT_EQ(runs, 1);
}

TEST(ListenerHolder, EndsItsObservationsWithItselfAndOutlivesItsCentre) {
  platform::NotificationCenter center;
  std::vector<std::string> seen;
  {
    kit::ListenerHolder holder(center);
    holder.addObserver("A", [&](const platform::Notification& n) { seen.push_back("first " + n.name); });
    holder.addObserver("A", [&](const platform::Notification& n) { seen.push_back("second " + n.name); });
    center.post({"A", {}});
    center.post({"B", {}});
  }
  center.post({"A", {}});
  EXPECT_EQ(seen, (std::vector<std::string>{"first A", "second A"}));

  auto gone = std::make_unique<platform::NotificationCenter>();
  kit::ListenerHolder orphan(*gone);
  orphan.addObserver("A", [](const platform::Notification&) {});
  gone.reset();
  // Nothing is added to a centre that is gone, and the holder ends later without touching it.
  orphan.addObserver("B", [](const platform::Notification&) { ADD_FAILURE() << "observed a released centre"; });
}

TEST(LaunchCompletions, RunOnceInOrder) {
  kit::LaunchCompletions::runFinishedLaunchingCompletions();
  std::vector<int> order;
  kit::LaunchCompletions::add([&] { order.push_back(1); });
  kit::LaunchCompletions::add([&] { order.push_back(2); });
  kit::LaunchCompletions::runFinishedLaunchingCompletions();
  kit::LaunchCompletions::runFinishedLaunchingCompletions();
  EXPECT_EQ(order, (std::vector<int>{1, 2}));
}

TEST(TerminateApp, QuitsOnTheNextTurnOfTheLoopEvenWhenAskedBeforeItRuns) {
  eventloop::ensureCoreApplication();
  kit::terminateApp();  // a direct quit() would be lost here: the loop does not run yet
  QTimer bound;
  bound.setSingleShot(true);
  QObject::connect(&bound, &QTimer::timeout, [] { QCoreApplication::exit(2); });
  bound.start(std::chrono::seconds(10));
  EXPECT_EQ(QCoreApplication::exec(), 0);
}

}  // namespace
