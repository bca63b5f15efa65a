#include "engine/asked_copy.h"

#include <iterator>

namespace engine {

AskedCopyMatch matchAskedCopy(platform::Pasteboard& pasteboard, const AskedCopy& copy) {
  if (!copy.application) return AskedCopyMatch::asked;
  auto owner = pasteboard.ownerApplication();
  if (!owner || *owner == *copy.application) return AskedCopyMatch::asked;
  // The client before the owner held the copy only for moments, perhaps between two of our looks at the clipboard.
  // Only an earlier owner known to be the asked application counts: one that cannot be told any more (a client that
  // quit once it lost the clipboard) made no copy asked for.
  const auto changes = pasteboard.ownerChangesSince(copy.ownerChangeAtPress);
  if (changes.empty()) return AskedCopyMatch::another;
  const auto& current = changes.back();
  for (auto earlier = std::next(changes.rbegin()); earlier != changes.rend(); ++earlier) {
    if (earlier->ours || current.at - earlier->at > takeOverWindow) break;
    if (pasteboard.applicationOfOwnerChange(earlier->serial) == copy.application) return AskedCopyMatch::takenOver;
  }
  return AskedCopyMatch::another;
}

}  // namespace engine
