#pragma once

#include <ostream>
#include <string>

#include "compact/junction_table.h"
#include "fsquery/file_system_queries.h"

namespace pathshrink {

// A ';'-separated list of directories in the system's narrow code page.
using PathList = std::string;

// Replaces every entry of `list` by its short form, drops entries that do not
// resolve (each reported on `err`) and repeats, then rewrites the first
// junction target (in table order) that prefixes an entry at a component
// boundary. Returns the kept entries joined by ';'.
PathList CompactPathList(const JunctionTable& junctions, PathList list, FileSystemQueries& queries,
                         std::ostream& err);

}  // namespace pathshrink
