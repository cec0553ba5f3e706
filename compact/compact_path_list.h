#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "compact/junction_table.h"
#include "fsquery/file_system_queries.h"

namespace pathshrink {

// A ';'-separated list of directories, in UTF-8.
using PathList = std::string;

// One entry of the list that resolved, in the spellings the compactor needs.
struct ResolvedEntry {
  std::string given;      // normalized, without quotes: as the user spelled it
  std::string shortForm;  // normalized; junction targets are matched on it
  std::string spelling;   // how it is written when no junction applies
  std::string key;        // its identity: equal for two spellings of one directory
  bool verbatim = false;  // kept as given (%NAME%): nothing can be known of it
};

// Splits the list and resolves every entry in order, repeats included;
// each entry that does not resolve is reported on `err` and left out.
std::vector<ResolvedEntry> ResolveEntries(const PathList& list, FileSystemQueries& queries,
                                          std::ostream& err);

// One entry as it goes into the new list.
struct WrittenEntry {
  std::size_t resolved;  // its index in the resolved entries
  std::string text;
};

// Writes each entry through the first junction of `junctions` (in table
// order) whose short target is a leading part of it, ending at a component
// boundary, and drops every entry that names a directory already written,
// whether before or after junctions were applied. The first one stays.
std::vector<WrittenEntry> WriteEntries(const std::vector<ResolvedEntry>& entries,
                                       const JunctionTable& junctions,
                                       const PathConventions& conventions);

// The entries joined by ';'.
PathList JoinEntries(const std::vector<WrittenEntry>& written);

// The whole compaction: resolve, write, join.
PathList CompactPathList(const JunctionTable& junctions, const PathList& list,
                         FileSystemQueries& queries, std::ostream& err);

}  // namespace pathshrink
