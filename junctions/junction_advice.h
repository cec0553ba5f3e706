#pragma once

#include <cstddef>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "compact/compact_path_list.h"
#include "compact/junction_table.h"
#include "system/file_system_queries.h"

namespace pathshrink {

// What --suggest is asked: the list's resolved entries, the junctions the
// user gave, and where the new links go.
struct AdviceRequest {
  std::string_view given;                               // the list as given
  const std::vector<ResolvedEntry>* entries = nullptr;  // as resolved
  const JunctionTable* registered = nullptr;            // given, in command-line order
  const JunctionTable* junctions = nullptr;             // the same, by savings
  const std::vector<std::string>* typed = nullptr;      // the given junctions, as typed
  std::string linkFolder;             // where the links go; empty: the root of each target's drive
  std::string restrictedFolder;       // for the machine's Path: the folder the script makes first
  std::optional<std::size_t> target;  // only as many as it takes to be at most this long
  std::string sourceArguments;        // how the command line names the list again
};

// Proposes the junctions that shorten the list most, registered as the
// tool will register them once they exist, after the given ones, and the
// list written with them all. Writes the report of that list on `err` and
// returns the script that makes them.
std::string AdviseJunctions(const AdviceRequest& request, FileSystemQueries& files,
                            std::ostream& err);

}  // namespace pathshrink
