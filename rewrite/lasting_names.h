#pragma once

#include <vector>

#include "compact/compact_path_list.h"
#include "report/report.h"
#include "system/file_system_queries.h"

namespace pathshrink {

// Short names do not promise to last: a NAME~N is handed out in the order
// folders are made, so where its folder has siblings of the same stem a
// reinstall may give it to another folder; a volume that makes no short
// names gives none to folders made later. These say where that is so.

// By resolved entry: whether one of its written short names has siblings of
// its stem. Adds a warning for each such entry to `warnings`.
std::vector<bool> FragileShortNames(const WrittenList& written,
                                    const std::vector<ResolvedEntry>& entries,
                                    FileSystemQueries& files, std::vector<UseWarning>& warnings);

// A warning for each volume that the written entries use short names on
// and that makes none for folders made from now on.
void VolumesWithoutShortNames(const WrittenList& written, const std::vector<ResolvedEntry>& entries,
                              FileSystemQueries& files, std::vector<UseWarning>& warnings);

}  // namespace pathshrink
