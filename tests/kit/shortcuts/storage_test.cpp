#include "kit/shortcuts/storage.h"

#include <gtest/gtest.h>

#include <any>
#include <optional>
#include <string>
#include <vector>

#include "platform/core/notification_center.h"
#include "platform/prefs/user_defaults.h"

namespace {

using kit::GlobalShortcuts::Name;
using kit::GlobalShortcuts::Shortcut;
namespace gs = kit::GlobalShortcuts;

platform::UserDefaults& defaults() { return platform::UserDefaults::standard(); }

// Records the names of the change notifications posted while it lives.
class ChangeSpy {
 public:
  ChangeSpy()
      : token_(platform::NotificationCenter::defaultCenter().addObserver(
            gs::shortcutByNameDidChange, [this](const platform::Notification& notification) {
              names.push_back(std::any_cast<Name>(notification.userInfo.at("name")).rawValue);
            })) {}
  std::vector<std::string> names;

 private:
  platform::rx::AnyCancellable token_;
};

TEST(ShortcutStorage, SavedShortcutIsStoredAsJsonTextAndAnnounced) {
  const Name name("storageSave");
  ChangeSpy spy;
  gs::saveShortcut({9, 768}, name);
  EXPECT_EQ(defaults().object("GlobalShortcuts_storageSave"),
            platform::PlistValue(R"({"carbonKeyCode":9,"carbonModifiers":768})"));
  EXPECT_EQ(gs::getShortcut(name), (Shortcut{9, 768}));
  EXPECT_EQ(name.shortcut(), (Shortcut{9, 768}));

  gs::saveShortcut({9, 768}, name);  // the same again is still a change
  EXPECT_EQ(spy.names, (std::vector<std::string>{"storageSave", "storageSave"}));
}

TEST(ShortcutStorage, ClearingANameWithADefaultStoresFalseAndIsNotSeededAgain) {
  ChangeSpy spy;
  const Name name("storageDefault", Shortcut{9, 768});
  EXPECT_EQ(name.shortcut(), (Shortcut{9, 768})) << "seeded at construction";
  name.setShortcut(std::nullopt);
  EXPECT_EQ(defaults().object("GlobalShortcuts_storageDefault"), platform::PlistValue(false));
  EXPECT_EQ(name.shortcut(), std::nullopt);

  const Name again("storageDefault", Shortcut{9, 768});
  EXPECT_EQ(again.shortcut(), std::nullopt) << "a cleared default stays cleared";
  EXPECT_EQ(spy.names.size(), 2u);

  gs::reset({again});
  EXPECT_EQ(again.shortcut(), (Shortcut{9, 768}));
  EXPECT_EQ(spy.names.size(), 3u);
}

TEST(ShortcutStorage, ClearingOrResettingWithNothingReadableWritesAndPostsNothing) {
  const Name name("storageEmpty");
  ChangeSpy spy;
  name.setShortcut(std::nullopt);
  gs::reset({name});
  EXPECT_FALSE(defaults().object("GlobalShortcuts_storageEmpty"));

  defaults().set("GlobalShortcuts_storageEmpty", "not json");
  EXPECT_EQ(name.shortcut(), std::nullopt);
  gs::reset({name});
  name.setShortcut(std::nullopt);
  EXPECT_EQ(defaults().object("GlobalShortcuts_storageEmpty"), platform::PlistValue("not json"))
      << "an unreadable entry stays until saved over";
  EXPECT_TRUE(spy.names.empty());
}

TEST(ShortcutStorage, ANamesBindingReadsAndWritesItsStoredShortcut) {
  const Name name("storageBinding", Shortcut{9, 768});
  const auto bound = gs::binding(name);
  EXPECT_EQ(bound.get(), (Shortcut{9, 768}));
  ChangeSpy spy;
  bound.set(Shortcut{8, 256});
  EXPECT_EQ(name.shortcut(), (Shortcut{8, 256}));
  gs::saveShortcut({7, 512}, name);
  EXPECT_EQ(bound.get(), (Shortcut{7, 512}));
  bound.set(std::nullopt);
  EXPECT_EQ(defaults().object("GlobalShortcuts_storageBinding"), platform::PlistValue(false))
      << "cleared as setShortcut clears";
  EXPECT_EQ(spy.names.size(), 3u);
}

TEST(ShortcutStorage, ClearingANameWithoutADefaultRemovesTheEntry) {
  const Name name("storageNoDefault");
  gs::saveShortcut({8, 256}, name);
  ChangeSpy spy;
  name.setShortcut(std::nullopt);
  EXPECT_FALSE(defaults().object("GlobalShortcuts_storageNoDefault"));
  EXPECT_EQ(spy.names, std::vector<std::string>{"storageNoDefault"});

  gs::saveShortcut({8, 256}, name);
  gs::reset({name});
  EXPECT_FALSE(defaults().object("GlobalShortcuts_storageNoDefault"));
}

// What the followers of the storage and the notification's observers hear, in order.
class FollowerSpy {
 public:
  FollowerSpy()
      : follower_(gs::storedShortcutChanges().sink([this](const gs::StoredShortcutChange& change) {
          heard.push_back("follow " + change.name.rawValue + " " + text(change.oldValue) + ">" + text(change.newValue));
        })),
        observer_(platform::NotificationCenter::defaultCenter().addObserver(
            gs::shortcutByNameDidChange, [this](const platform::Notification& notification) {
              heard.push_back("posted " + std::any_cast<Name>(notification.userInfo.at("name")).rawValue);
            })) {}
  std::vector<std::string> heard;

 private:
  static std::string text(const std::optional<Shortcut>& shortcut) {
    return shortcut ? std::to_string(shortcut->carbonKeyCode) : "none";
  }
  platform::rx::AnyCancellable follower_, observer_;
};

TEST(ShortcutStorage, FollowersHearEachChangeWithWhatWasStoredBeforeAndAfterAheadOfTheNotification) {
  const Name plain("storageFollowed");
  const Name withDefault("storageFollowedDefault", Shortcut{11, 256});
  FollowerSpy spy;
  gs::saveShortcut({9, 768}, plain);
  gs::saveShortcut({8, 768}, plain);
  plain.setShortcut(std::nullopt);
  withDefault.setShortcut(std::nullopt);
  gs::reset({withDefault, plain});
  EXPECT_EQ(spy.heard, (std::vector<std::string>{
                           "follow storageFollowed none>9",
                           "posted storageFollowed",
                           "follow storageFollowed 9>8",
                           "posted storageFollowed",
                           "follow storageFollowed 8>none",
                           "posted storageFollowed",
                           "follow storageFollowedDefault 11>none",
                           "posted storageFollowedDefault",
                           "follow storageFollowedDefault none>11",
                           "posted storageFollowedDefault",
                       }));
}

}  // namespace
