#pragma once

#include <algorithm>
#include <cstddef>
#include <string_view>
#include <vector>

#include "compact/key_set.h"
#include "pathtext/path_conventions.h"

namespace pathshrink {

// Paths (as keys) looked up as leading parts of other paths that end at a
// component boundary: `c:\progra~1` is one of `c:\progra~1\x`, not of
// `c:\progra~10`. Rather than trying every path on a key, it looks at each
// length that some path has, up to the key's (a comparison each), and probes
// a hash set only where the key has a component boundary at that length: at
// most one probe per component of the key, however many paths there are.
class PrefixSet {
 public:
  PrefixSet(std::size_t expected, PathConventions conventions)
      : paths_(expected), conventions_(conventions) {}

  // Adds `path` (which must outlive the set); false when it was there or is
  // empty (which would be a leading part of everything). Positions count the
  // paths added, in order.
  bool Insert(std::string_view path) {
    if (path.empty() || !paths_.Insert(path)) return false;
    const auto at = std::lower_bound(lengths_.begin(), lengths_.end(), path.size());
    if (at == lengths_.end() || *at != path.size()) lengths_.insert(at, path.size());
    return true;
  }

  bool empty() const { return lengths_.empty(); }

  // The position of `path` among the paths added, or KeySet::npos.
  std::size_t Find(std::string_view path) const { return paths_.Find(path); }

  // Calls `found(position, length)` for each path that is a leading part of
  // `key`, shortest first, until it returns true; returns whether one did.
  template <typename Found>
  bool AnyLeadingPart(std::string_view key, Found found) const {
    for (const std::size_t k : lengths_) {
      if (k > key.size()) break;
      // The part ends where the key does, before a separator, or with one
      // (a drive root such as d:\).
      const bool boundary = k == key.size() || conventions_.IsSeparator(key[k]) ||
                            conventions_.IsSeparator(key[k - 1]);
      if (!boundary) continue;
      const std::size_t position = paths_.Find(key.substr(0, k));
      if (position != KeySet::npos && found(position, k)) return true;
    }
    return false;
  }

 private:
  KeySet paths_;
  std::vector<std::size_t> lengths_;  // that paths have, ascending, each once
  PathConventions conventions_;
};

}  // namespace pathshrink
