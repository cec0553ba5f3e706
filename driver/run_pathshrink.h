#pragma once

#include <ostream>

#include "fsquery/file_system_queries.h"

namespace pathshrink {

// The exit statuses.
inline constexpr int kExitDone = 0;          // the result was written
inline constexpr int kExitUsage = 1;         // no list, or an unknown flag
inline constexpr int kExitOutputFailed = 2;  // standard output could not be written

// The whole tool: `fullpath [-j junction]+` in, the new list on `out`, the
// complaints and the report on `err`; or, as the first argument, `--suggest`
// (proposed junctions instead of the list), `--help`, `-h`, `/?` or
// `--version`. Returns the exit status.
int RunPathShrink(int argc, const char* const* argv, FileSystemQueries& queries, std::ostream& out,
                  std::ostream& err);

}  // namespace pathshrink
