#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "pathtext/path_conventions.h"
#include "pathtext/path_key.h"

namespace pathshrink {

// One usable junction: writing `shortJunction` in place of `shortTarget`
// shortens every entry below the target.
struct JunctionEntry {
  std::string shortJunction;  // its shortest spelling, written as it is
  std::string shortTarget;    // normalized, folded where names fold case
  std::int32_t savings;       // long target length minus junction length, > 0
  // The key of its short form, as entries are keyed (".j" and "J~1" are one
  // directory); empty where that is `shortJunction` itself.
  std::string pathKey = {};
  // Whether the system opened the junction and its target to one
  // directory when it was registered: what an entry written through it is
  // proved by.
  bool opensToTarget = false;
};

// What the junction's own path names, as a key.
inline std::string JunctionKey(const JunctionEntry& junction, const PathConventions& conventions) {
  return junction.pathKey.empty() ? PathKey(junction.shortJunction, conventions) : junction.pathKey;
}

using JunctionTable = std::vector<JunctionEntry>;

// The characters saved by writing the junction instead of its target, both
// in their long forms. Lengths beyond 2 GiB saturate rather than wrap.
inline std::int32_t JunctionSavings(const std::string& target, const std::string& junction) {
  const auto difference =
      static_cast<long long>(target.size()) - static_cast<long long>(junction.size());
  constexpr long long kMax = std::numeric_limits<std::int32_t>::max();
  constexpr long long kMin = std::numeric_limits<std::int32_t>::min();
  if (difference > kMax) return static_cast<std::int32_t>(kMax);
  if (difference < kMin) return static_cast<std::int32_t>(kMin);
  return static_cast<std::int32_t>(difference);
}

// Puts the largest savings first; equal savings keep their order, so the
// junction given first is tried first.
inline void OrderBySavings(JunctionTable& table) {
  std::stable_sort(table.begin(), table.end(), [](const JunctionEntry& a, const JunctionEntry& b) {
    return a.savings > b.savings;
  });
}

}  // namespace pathshrink
