#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compact/compact_path_list.h"
#include "compact/junction_table.h"
#include "compact/prefix_set.h"

namespace pathshrink {

// Writes entries through the first junction of a table (in table order)
// whose short target is a leading part of the entry's short form that ends
// at a component boundary: `c:\progra~1` rewrites `c:\progra~1\x` but not
// `c:\progra~10`. The rest of the entry keeps its own spelling.
//
// The cost of an entry does not grow with the number of junctions (see
// PrefixSet).
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
  const JunctionTable& junctions_;
  PathConventions conventions_;
  // The short targets, each once, and the position in the table of the
  // first junction to each, in the same order.
  PrefixSet targets_;
  std::vector<std::size_t> firstOfTarget_;
  // The junctions' own paths as keys.
  std::vector<std::string> pathKeys_;
  PrefixSet paths_;
  bool nested_ = false;  // a junction's path lies below another's
};

}  // namespace pathshrink
