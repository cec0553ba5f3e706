#pragma once

#include <string>
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

// By resolved entry: for one written as given because a folder on its way
// has no short name, why (else empty). Adds a warning for each volume that
// makes no short names where entries stay long on it for want of one, or
// where the written entries use short names on it (folders made from now
// on will have none).
std::vector<std::string> VolumesWithoutShortNames(const WrittenList& written,
                                                  const std::vector<ResolvedEntry>& entries,
                                                  FileSystemQueries& files,
                                                  std::vector<UseWarning>& warnings);

}  // namespace pathshrink
