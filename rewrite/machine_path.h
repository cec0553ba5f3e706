#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "compact/compact_path_list.h"
#include "compact/junction_table.h"
#include "rewrite/ordinary_user_reach.h"

namespace pathshrink {

// The machine's Path is searched by every process, administrators' and
// services' included: nothing is written through a folder that users other
// than administrators could change. Each step says on `err` what it
// avoided or found.

// The junctions that may be used: none that such users could delete or
// replace.
JunctionTable JunctionsForTheMachine(const JunctionTable& junctions, OrdinaryUserReach& reach,
                                     std::ostream& err);

// Each written entry's short names kept only where such users cannot make
// a folder of that name (as they could once the volume's short names are
// stripped); elsewhere the long name as given.
void ShortNamesForTheMachine(WrittenList& written, const std::vector<ResolvedEntry>& entries,
                             OrdinaryUserReach& reach, const PathConventions& conventions,
                             std::ostream& err);

// For each resolved entry, the folder through which such users could change
// it, or empty: those are said and kept (the entry is the user's choice).
std::vector<std::string> EntriesUsersCanChange(const std::vector<ResolvedEntry>& entries,
                                               OrdinaryUserReach& reach, std::ostream& err);

// A folder for the machine's links that is not there yet, in the root of
// `systemDrive` (C: where it is empty): l, then l2, l3, ... up to
// kMostFoldersForLinks. Empty where there is none: the drive is not there,
// does not answer, or holds all of those names.
inline constexpr int kMostFoldersForLinks = 1000;
std::string NewFolderForLinks(const std::string& systemDrive, FileSystemQueries& files);

}  // namespace pathshrink
