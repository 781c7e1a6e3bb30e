// A table of values by keys of 64 bits, none of them zero, made at compile
// time and open to probing from the slot that a key's product with a
// multiplier points to: one or two looks find a key, or the empty slot that
// says it is not there. The check's clitics and ungrapho's references are
// found in such tables.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace grapho {

template <typename Value, unsigned slot_bits, std::uint64_t multiplier>
class keyed_table {
 public:
  struct slot {
    std::uint64_t key = 0;  // 0 for an empty slot
    Value value{};
  };

  static constexpr std::size_t size() { return std::size_t{1} << slot_bits; }

  // The slot of `key`, whether it holds it already or is empty.
  constexpr slot& slot_for(std::uint64_t key) {
    std::size_t at = first_slot_of(key);
    while (slots_[at].key != 0 && slots_[at].key != key) at = (at + 1) % size();
    slots_[at].key = key;
    return slots_[at];
  }

  // The index of the slot that holds `key`, or -1.
  constexpr int find(std::uint64_t key) const {
    for (std::size_t at = first_slot_of(key);; at = (at + 1) % size()) {
      if (slots_[at].key == key) return static_cast<int>(at);
      if (slots_[at].key == 0) return -1;
    }
  }

  constexpr const slot& operator[](std::size_t index) const { return slots_[index]; }

 private:
  static constexpr std::size_t first_slot_of(std::uint64_t key) {
    return static_cast<std::size_t>((key * multiplier) >> (64 - slot_bits));
  }

  std::array<slot, std::size_t{1} << slot_bits> slots_{};
};

}  // namespace grapho
