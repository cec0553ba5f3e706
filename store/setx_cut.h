#pragma once

#include <string>
#include <vector>

#include "compact/compact_path_list.h"
#include "system/environment.h"
#include "system/environment_store.h"

namespace pathshrink {

// setx cuts what it stores at 1,024 characters without a word, and is the
// most common way people lose their PATH: a stored Path of exactly 1,024
// characters whose last entry names no folder bears its mark. Storing a
// shortened form of such a value would make the loss for good.
struct SetxCut {
  bool seen = false;      // the value bears the mark
  std::string lastEntry;  // the entry cut short
  // The backups this tool holds of the scope's Path that are longer than
  // the value, newest first: where the lost entries may still be.
  std::vector<std::string> longerBackups;
};

// Whether the stored value `stored` of `scope` bears the mark, as resolving
// (`resolved`, the same value) found its last entry; and if so, the longer
// backups in the folder of this process's LOCALAPPDATA.
SetxCut LookForSetxCut(Scope scope, const std::string& stored, const ResolvedList& resolved,
                       EnvironmentStore& store, Environment* environment);

// The report's line about it, without brackets.
std::string SetxCutLine(const SetxCut& cut);

// How many UTF-16 units the value in the backup file `bytes` (as this tool
// writes them) holds before its terminating NUL; -1 where it is not such a
// file.
long BackupValueLength(const std::string& bytes);

}  // namespace pathshrink
