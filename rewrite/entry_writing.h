#pragma once

#include <cstddef>
#include <optional>
#include <ostream>
#include <string_view>
#include <vector>

#include "compact/compact_path_list.h"
#include "compact/junction_table.h"
#include "report/entry_records.h"
#include "rewrite/ordinary_user_reach.h"
#include "system/environment.h"
#include "system/file_system_queries.h"

namespace pathshrink {

// How a run writes each entry beyond its short form, decided once.
struct WritingRules {
  const JunctionTable* junctions = nullptr;  // the junctions to write through, by savings
  OrdinaryUserReach* machine = nullptr;      // the machine's Path: nothing users can change
  Environment* profile = nullptr;            // a user's REG_EXPAND_SZ Path: the profile's variables
  std::optional<std::size_t> target;         // --target: no shorter than needed
  bool asGiven = false;                      // within the target: the list comes back as given
  bool verbose = false;                      // say each repeat that a junction makes
};

// The new list and how each entry came to be written so. Views in
// `written` point into `plain`, the resolved entries and the junction
// table, which must outlive it.
struct DecidedList {
  WrittenList written;
  WrittenList plain;  // with --target: the short forms without junctions
  EntryNotes notes;
  PathList text;
};

// Writes each resolved entry as `rules` say (short form, junction, the
// machine's rules, a profile variable, no shorter than the target needs),
// saying on `err` what it avoids. `found` is what was found of each
// resolved entry before (what the machine's rules found, which entries the
// machine's Path lists: those are left out); `given` the list as given.
DecidedList DecideEntries(std::string_view given, const ResolvedList& resolved, EntryNotes found,
                          const WritingRules& rules, FileSystemQueries& files, std::ostream& err);

}  // namespace pathshrink
