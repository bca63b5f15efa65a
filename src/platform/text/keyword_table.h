#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace platform {

// A fixed table from the few names a reader acts on (control words, element names) to what they mean, looked
// up for every name in a document: open addressing over a hash of the name. The names must outlive the table
// (string literals), and take at most half of its slots.
template <class Value, std::size_t slotCount = 256>
class KeywordTable {
 public:
  // The value of a name, added with a default value when missing.
  Value& operator[](std::string_view name) {
    std::size_t i = slotOf(name);
    while (!slots_[i].name.empty() && slots_[i].name != name) i = (i + 1) % slotCount;
    if (slots_[i].name.empty()) slots_[i].name = name;
    return slots_[i].value;
  }

  // The value of a name; `missing` when it is not in the table.
  Value find(std::string_view name, Value missing = {}) const {
    for (std::size_t i = slotOf(name); !slots_[i].name.empty(); i = (i + 1) % slotCount) {
      if (slots_[i].name == name) return slots_[i].value;
    }
    return missing;
  }

 private:
  struct Slot {
    std::string_view name;
    Value value{};
  };

  static std::size_t slotOf(std::string_view name) {
    std::uint32_t hash = 2166136261u;
    for (char c : name) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    return hash % slotCount;
  }

  std::array<Slot, slotCount> slots_{};
};

}  // namespace platform
