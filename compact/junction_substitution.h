#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "compact/junction_table.h"
#include "fsquery/file_system_queries.h"

namespace pathshrink {

// Writes entries through the first junction of a table (in table order)
// whose short target is a leading part of the entry that ends at a component
// boundary: `c:\progra~1` rewrites `c:\progra~1\x` but not `c:\progra~10`.
// Names are compared without regard to case where the platform folds it.
//
// Rather than trying every junction on every entry, it looks up each of the
// entry's few leading parts that end at a boundary, so the cost of an entry
// does not grow with the number of junctions.
class JunctionSubstitution {
 public:
  // The table must outlive this object.
  JunctionSubstitution(const JunctionTable& junctions, PathConventions conventions);

  // Rewrites `entry` in place through the first matching junction; leaves
  // it as it is when none matches.
  void Apply(std::string& entry) const;

 private:
  const JunctionTable& junctions_;
  PathConventions conventions_;
  // Each short target, to the position of its first junction in the table.
  std::unordered_map<std::string_view, std::size_t> firstByTarget_;
  // The lengths that targets have, ascending and each once: only leading
  // parts of these lengths can match.
  std::vector<std::size_t> targetLengths_;
};

}  // namespace pathshrink
