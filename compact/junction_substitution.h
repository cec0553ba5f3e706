#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compact/compact_path_list.h"
#include "compact/junction_table.h"
#include "compact/prefix_set.h"

namespace pathshrink {

// Writes entries through junctions: of the junctions whose short target is
// a leading part of the entry's key that ends at a component boundary
// (`c:\progra~1` leads `c:\progra~1\x` but not `c:\progra~10`), the one that
// writes the entry shortest, and none where none writes it shorter than its
// own spelling. Ties go to the junction earlier in the table. The rest of
// the entry keeps its own spelling.
//
// The cost of an entry does not grow with the number of junctions (see
// PrefixSet).
class JunctionSubstitution {
 public:
  // The table must outlive this object.
  JunctionSubstitution(const JunctionTable& junctions, PathConventions conventions);
  // The sets hold views into the object's own strings.
  JunctionSubstitution(const JunctionSubstitution&) = delete;
  JunctionSubstitution& operator=(const JunctionSubstitution&) = delete;

  // The entry written through a junction: the junction's path, then the
  // rest of the entry in its own spelling; and what that names, as a key:
  // the junction's own key, then the rest of the entry's key.
  struct Rewrite {
    std::string_view path;
    std::string_view rest;
    std::string_view pathKey;
    std::string_view restKey;
  };

  // The entry written through the junction that writes it shortest, or
  // nothing when none writes it shorter (it is then written in its own
  // spelling). The parts point into the table, this object and the entry.
  std::optional<Rewrite> Rewritten(const ResolvedEntry& entry) const;

  // Whether an entry written through a junction could repeat another of
  // `entries` (no two of one key): only where some entry is listed through
  // a junction's own path, or a junction lies below another. Elsewhere no
  // two different directories are ever written alike (a name and a short
  // name are never another directory's), and the check can be spared.
  bool MayWriteRepeats(const std::vector<ResolvedEntry>& entries) const;
  // What `key` names, with the path of a junction that leads it replaced by
  // the junction's target (again, where that target is led by another
  // junction's path); empty where no junction's path leads it. An entry
  // listed through a junction is the directory its target names, whether
  // or not the junction writes that shorter.
  std::string ThroughTargets(std::string_view key) const;

  static constexpr std::size_t npos = static_cast<std::size_t>(-1);

 private:
  const JunctionTable& junctions_;
  PathConventions conventions_;
  // The short targets, each once, and for each the junction to it with the
  // shortest path (the first in the table of those), in the same order.
  PrefixSet targets_;
  std::vector<std::size_t> bestOfTarget_;
  // The junctions' own paths as keys of what they name, in table order.
  std::vector<std::string> pathKeys_;
  std::vector<std::size_t> pathLengths_;  // of their paths, in UTF-16 units
  PrefixSet paths_;
  std::vector<std::size_t> junctionOfPath_;  // by position in `paths_`: the first in the table
  bool nested_ = false;                      // a junction's path lies below another's
};

}  // namespace pathshrink
