#include "kit/shortcuts/function_keys.h"

#include <Qt>

namespace kit {

const std::set<int>& functionKeys() {
  static const std::set<int> keys = [] {
    std::set<int> all;
    for (int key = Qt::Key_F1; key <= Qt::Key_F35; ++key) all.insert(key);
    return all;
  }();
  return keys;
}

}  // namespace kit
