#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// $XDG_CONFIG_HOME when it is an absolute path, else ~/.config.
std::filesystem::path configDirectory();
// $XDG_STATE_HOME when it is an absolute path, else ~/.local/state: state worth keeping between runs.
std::filesystem::path stateDirectory();

// The path with symbolic links followed to the file they name (which need not exist).
std::filesystem::path followingLinks(const std::filesystem::path& path);

// Replaces the file in one step: the bytes go to a fresh temporary file in the same folder, which is
// synced and renamed over the target; then the folder is synced. A crash at any moment leaves either
// the old or the new file, and a failed write leaves no temporary file. A symbolic link is written through:
// the file it names is replaced, in its own folder. The file keeps its mode (a new one is private), and one
// the user made read-only is not replaced. `stillCurrent`, when given, is asked right before the rename: when
// it answers false (the file changed meanwhile), nothing is replaced and the result is false. Throws
// PlatformError.
bool writeFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         const std::function<bool()>& stillCurrent = {});
// The same, except that a symbolic link at `path` is itself replaced by the new file: the file it names is left as it
// is. Throws PlatformError.
void replaceFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// Renames the file to "<name>.corrupt-<UTC time>" (with a counter when that exists), never replacing
// another file. Returns the new path. Throws PlatformError.
std::filesystem::path moveFileAside(const std::filesystem::path& path);

// Whether a folder entry is one of the temporary files writeFileAtomically makes for `target`.
bool isTemporaryFileOf(std::string_view entryName, const std::filesystem::path& target);

// Removes the temporary files that writes of `target` (through a link, of the file it names) left behind when they were
// killed, and answers how many. A write holds its temporary file locked until it is renamed or removed, so a write in
// progress, of this process or another, is never touched. With `olderThan`, only files that old are taken: a writer
// that locks no file (an earlier version) leaves them no longer. Where files cannot be locked none is taken.
int removeTemporaryFilesOfKilledWrites(
    const std::filesystem::path& target,
    std::optional<std::filesystem::file_time_type::duration> olderThan = std::nullopt);

}  // namespace platform
