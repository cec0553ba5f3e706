#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace pathshrink {

// A set of texts that live elsewhere, sized for the number it will hold
// (and grown if it is ever given more). Open addressing over one small
// array: a list of thousands of entries costs two allocations here, where a
// node-based set costs one an entry (see ResolvedEntry on why that counts).
class KeySet {
 public:
  explicit KeySet(std::size_t expected) {
    std::size_t capacity = 16;
    while (capacity * 3 < expected * 4) capacity *= 2;  // at most three quarters full
    slots_.assign(capacity, 0);
    keys_.reserve(expected);
  }

  // Eight bytes a step, each step mixed as splitmix64 mixes: keys here are
  // paths, dozens of bytes each, and hashed once or twice every entry.
  static std::uint32_t Hash(std::string_view key) {
    std::uint64_t hash = 0x9E3779B97F4A7C15u ^ key.size();
    const auto mix = [&hash](std::uint64_t word) {
      hash = (hash ^ word) * 0xBF58476D1CE4E5B9u;
      hash ^= hash >> 31;
    };
    std::size_t at = 0;
    for (; at + 8 <= key.size(); at += 8) {
      std::uint64_t word = 0;
      std::memcpy(&word, key.data() + at, 8);
      mix(word);
    }
    if (at < key.size()) {
      std::uint64_t word = 0;
      std::memcpy(&word, key.data() + at, key.size() - at);
      mix(word);
    }
    hash = (hash ^ (hash >> 29)) * 0x94D049BB133111EBu;
    return static_cast<std::uint32_t>(hash ^ (hash >> 32));
  }

  static constexpr std::size_t npos = static_cast<std::size_t>(-1);

  // The position of `key` in the order keys were first added, or npos.
  std::size_t Find(std::string_view key) const {
    const std::uint32_t hash = Hash(key);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
      const std::uint64_t slot = slots_[at];
      if (slot == 0) return npos;
      const std::size_t position = (slot & 0xFFFFFFFFu) - 1;
      if ((slot >> 32) == hash && keys_[position] == key) return position;
    }
  }

  // Adds `key` (which must outlive the set); false when it was there.
  bool Insert(std::string_view key) { return Insert(key, Hash(key)); }
  // The same, with the key's Hash known already.
  bool Insert(std::string_view key, std::uint32_t hash) { return InsertOrFind(key, hash) == npos; }
  // Adds `key` and returns npos; or, when it was there, leaves the set as
  // it is and returns its position (one look-up where Insert and Find
  // would take two).
  std::size_t InsertOrFind(std::string_view key, std::uint32_t hash) {
    if ((keys_.size() + 1) * 4 > slots_.size() * 3) Grow();
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
      const std::uint64_t slot = slots_[at];
      if (slot == 0) {
        keys_.push_back(key);
        slots_[at] = (std::uint64_t{hash} << 32) | keys_.size();
        return npos;
      }
      const std::size_t position = (slot & 0xFFFFFFFFu) - 1;
      if ((slot >> 32) == hash && keys_[position] == key) return position;
    }
  }

 private:
  void Grow() {
    std::vector<std::uint64_t> old(slots_.size() * 2, 0);
    old.swap(slots_);
    const std::size_t mask = slots_.size() - 1;
    for (const std::uint64_t slot : old) {
      if (slot == 0) continue;
      std::size_t at = (slot >> 32) & mask;
      while (slots_[at] != 0) at = (at + 1) & mask;
      slots_[at] = slot;
    }
  }

  // Each slot: 0 when free, else the key's hash (high half) and its
  // position in `keys_` plus one (low half).
  std::vector<std::uint64_t> slots_;
  std::vector<std::string_view> keys_;
};

}  // namespace pathshrink
