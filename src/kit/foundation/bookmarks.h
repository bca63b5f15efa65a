#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "kit/foundation/foundation_helpers.h"
#include "kit/foundation/general_error.h"
#include "platform/url/url.h"

namespace kit {

// A stored reference to a file or folder that finds it again after a rename or a move (bookmark data as the
// bookmark manager makes it). Equal when the bytes are; coded as the bare bytes.
struct SandboxURLBookmark {
  using RawValue = Bytes8;
  static constexpr bool codesAsSingleValue = true;

  explicit SandboxURLBookmark(Bytes8 bookmarkData) : bookmarkData(std::move(bookmarkData)) {}
  const Bytes8& rawValue() const { return bookmarkData; }
  bool operator==(const SandboxURLBookmark&) const = default;

  Bytes8 bookmarkData;
};

// Bookmarks of files and folders the user chose, and the check of a folder choice.
struct SecurityScopedBookmarkManager {
  // A bookmark of an existing file or folder: its path, and the device and inode that identify it where the file
  // system keeps them across renames. Throws the no-such-file error when there is nothing at the URL.
  static SandboxURLBookmark bookmark(const platform::Url& url);

  struct Resolved {
    platform::Url url;
    bool isStale = false;  // found elsewhere, or another file now stands at the path: make a new bookmark
  };
  // Finds the bookmarked file: at its path when the same file is still there; else where it went after a rename or
  // a move on the same file system (searched near its old place); else, when another file now stands at the path,
  // that file, marked stale. Throws the no-such-file error when it is found nowhere, and the corrupt-data error for
  // bytes that are no bookmark.
  static Resolved resolve(const SandboxURLBookmark& bookmark);

  // The holder of the preferences key the bookmarks are kept under; kit/preferences/bookmarks_user_defaults.h,
  // where the keys are.
  class BookmarksUserDefaults;

  // The check of a directory choice that accepts only the directory the user was asked to select.
  class NSOpenSavePanelDelegateHandler {
   public:
    explicit NSOpenSavePanelDelegateHandler(platform::Url currentURL) : currentURL_(std::move(currentURL)) {}
    const platform::Url& currentURL() const { return currentURL_; }
    // Accepts the same directory (with or without a trailing slash, through links: the canonical paths are
    // compared); throws the application error "Incorrect directory." asking to select the directory otherwise.
    void validate(const platform::Url& chosen) const;

   private:
    platform::Url currentURL_;
  };
};

}  // namespace kit

template <>
struct std::hash<kit::SandboxURLBookmark> {
  std::size_t operator()(const kit::SandboxURLBookmark& bookmark) const noexcept {
    return std::hash<std::string_view>()(
        std::string_view(reinterpret_cast<const char*>(bookmark.bookmarkData.data()), bookmark.bookmarkData.size()));
  }
};
