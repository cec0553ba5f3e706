#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "compact/compact_path_list.h"
#include "compact/junction_table.h"
#include "system/file_system_queries.h"

namespace pathshrink {

// A junction worth making: `link` (absolute, not there yet) to `target`.
struct SuggestedJunction {
  std::string link;
  std::string target;  // as the user spelled the directory in the list
};

struct SuggestionLimits {
  std::size_t most = 10;         // proposals at the most
  std::size_t leastSaving = 20;  // characters a proposal must save in the list
};

// Proposes junctions that shorten the list most, one at a time, each the
// one that saves most given the ones before it, until `limits` stop it.
// Starts from `entries` as written through `junctions` (ordered by
// savings). Each saving counts as the tool will apply the junction: by its
// long savings against the junctions an entry already has, one junction an
// entry, whole components. Links go directly in `linkFolder` (absolute,
// normalized), or in the root of the target's drive when it is empty; each
// gets the shortest name that the short-name query finds free.
std::vector<SuggestedJunction> SuggestJunctions(const std::vector<ResolvedEntry>& entries,
                                                const JunctionTable& junctions,
                                                const std::string& linkFolder,
                                                FileSystemQueries& queries,
                                                const SuggestionLimits& limits = {});

}  // namespace pathshrink
