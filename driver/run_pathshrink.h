#pragma once

#include <ostream>

#include "fsquery/file_system_queries.h"

namespace pathshrink {

// The whole tool: `fullpath [-j junction]+` in, the new list on `out`, the
// complaints and the report on `err`. Returns the exit status: 0 after a
// report, 1 after the usage line or an unknown flag.
int RunPathShrink(int argc, const char* const* argv, FileSystemQueries& queries, std::ostream& out,
                  std::ostream& err);

}  // namespace pathshrink
