#pragma once

#include <ostream>
#include <string>

#include "compact/junction_table.h"
#include "system/file_system_queries.h"

namespace pathshrink {

// Appends at most one entry for `junction` (as typed) to `table`: only when
// its target can be read, the junction and the target both have short forms,
// and the junction's path is shorter than its target's. A relative junction
// counts from the current folder, and separators typed after it are
// ignored; complaints name it as typed. Any failure is
// reported on `err`, naming the junction, and never leaves a partial entry.
void RegisterJunction(const std::string& junction, FileSystemQueries& queries, JunctionTable& table,
                      std::ostream& err);

}  // namespace pathshrink
