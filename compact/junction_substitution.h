#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "compact/compact_path_list.h"
#include "compact/junction_table.h"

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

  // The entry as written: through the first junction that applies, or in
  // its own spelling.
  std::string Written(const ResolvedEntry& entry) const;

  static constexpr std::size_t npos = static_cast<std::size_t>(-1);

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
