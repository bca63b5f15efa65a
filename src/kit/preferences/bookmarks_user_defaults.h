#pragma once

#include <map>
#include <memory>
#include <string>

#include "kit/foundation/bookmarks.h"
#include "kit/preferences/foundation_conformances.h"
#include "kit/preferences/key.h"

// Holds the key under which bookmarks of folders the user chose are kept, by path; the key goes with its holder.
class kit::SecurityScopedBookmarkManager::BookmarksUserDefaults {
 public:
  using Bookmarks = std::map<std::string, SandboxURLBookmark>;
  using Key = Preferences::Key<Bookmarks>;

  explicit BookmarksUserDefaults(std::unique_ptr<const Key> userDefaultsKey)
      : userDefaultsKey_(std::move(userDefaultsKey)) {}

  const Key& userDefaultsKey() const { return *userDefaultsKey_; }

 private:
  std::unique_ptr<const Key> userDefaultsKey_;
};
