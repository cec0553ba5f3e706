#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compact/compact_path_list.h"
#include "compact/junction_table.h"
#include "compact/key_set.h"

namespace pathshrink {

// Writes entries through the first junction of a table (in table order)
// whose short target is a leading part of the entry's short form that ends
// at a component boundary: `c:\progra~1` rewrites `c:\progra~1\x` but not
// `c:\progra~10`. The rest of the entry keeps its own spelling.
//
// Rather than trying every junction on every entry, it looks up each of the
// entry's few leading parts that end at a boundary, so the cost of an entry
// does not grow with the number of junctions.
class JunctionSubstitution {
 public:
  // The table must outlive this object.
  JunctionSubstitution(const JunctionTable& junctions, PathConventions conventions);

  // The position in the table of the first junction that applies to the
  // entry whose key is `key`, or npos.
  std::size_t FirstMatch(std::string_view key) const;

  // The entry written through a junction: the junction's path, then the
  // rest of the entry in its own spelling.
  struct Rewrite {
    std::string_view junction;
    std::string_view rest;
  };

  // The entry written through the first junction that applies to it, or
  // nothing when none does (it is then written in its own spelling). The
  // parts point into the table and the entry.
  std::optional<Rewrite> Rewritten(const ResolvedEntry& entry) const;

  // Whether an entry written through a junction could repeat another of
  // `entries` (no two of one key): only where some entry is listed through
  // a junction's own path, or a junction lies below another. Elsewhere no
  // two different directories are ever written alike (a name and a short
  // name are never another directory's), and the check can be spared.
  bool MayWriteRepeats(const std::vector<ResolvedEntry>& entries) const;

  static constexpr std::size_t npos = static_cast<std::size_t>(-1);

 private:
  // Whether `key` begins, at a component boundary, with a junction's path.
  bool StartsWithAJunction(std::string_view key) const;

  const JunctionTable& junctions_;
  PathConventions conventions_;
  // The short targets, each once, and the position in the table of the
  // first junction to each, in the same order.
  KeySet targets_;
  std::vector<std::size_t> firstOfTarget_;
  // The lengths that targets have, ascending and each once: only leading
  // parts of these lengths can match.
  std::vector<std::size_t> targetLengths_;
  // The junctions' own paths as keys, and their lengths, likewise.
  std::vector<std::string> pathKeys_;
  KeySet paths_;
  std::vector<std::size_t> pathLengths_;
  bool nested_ = false;  // a junction's path lies below another's
};

}  // namespace pathshrink
