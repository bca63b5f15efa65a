#include "platform/core/thread_name.h"

#include <pthread.h>

#include <cstring>

namespace platform {

void nameThisThread(const char* name) {
  constexpr std::size_t longest = 15;
  char kept[longest + 1] = {};
  std::strncpy(kept, name, longest);
  pthread_setname_np(pthread_self(), kept);
}

}  // namespace platform
