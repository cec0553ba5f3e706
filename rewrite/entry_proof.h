#pragma once

#include <cstddef>
#include <ostream>

#include "compact/compact_path_list.h"
#include "compact/junction_table.h"
#include "rewrite/entry_writing.h"
#include "system/environment.h"
#include "system/file_system_queries.h"

namespace pathshrink {

// Opens every entry `decided` writes otherwise than as given (a short form,
// a junction, a profile variable, a folder written for again), expanded as
// Windows will expand it (with `references` for a stored value, with
// nothing for a live list), and holds it to the directory the given entry
// opened to. One that opens elsewhere, or not at all where the given one
// did, is written exactly as given instead (its note holds the form that
// failed, for the report); the others count as proved. Where the given entry's directory could not
// be opened, its text is all there is to judge by, as in resolving. Returns how many were proved;
// `decided.notes` say which, and which were not. An entry written through one of `junctions` with
// no short name after it is proved by the junction's own proof, made once as it was registered: it
// opened to its target, and the same names below one directory name the same folder.
std::size_t ProveEntries(const ResolvedList& resolved, DecidedList& decided,
                         const JunctionTable& junctions, Environment* references,
                         FileSystemQueries& files);

}  // namespace pathshrink
