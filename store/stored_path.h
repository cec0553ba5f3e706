#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "report/exit_status.h"
#include "system/environment.h"
#include "system/environment_store.h"

namespace pathshrink {

// Stores `newText` as the Path of `scope`, which was read as `before`, step
// by step, each only after the one before it worked: a backup that reg
// import restores; the value read again and found unchanged (text, type and
// bytes); a value that holds no control character, a result that is not
// empty and not the same; the write, with the type it had; the value read
// back, and where it differs the old value written again and read back;
// the word to running programs. The backup is removed again wherever
// nothing was stored, and "To undo" is said only after a value was. Says
// each step on `err`, and returns 0 or the status of the step that stopped
// it. `environment` is this process's, for where backups go.
struct StoreOutcome {
  bool stored = false;  // the new value is stored
  std::string backup;   // the backup kept, if any
};
// `cutBySetx`: `before` bears setx's mark, and --force was not given.
int StorePath(Scope scope, const StoredValue& before, const std::string& newText,
              EnvironmentStore& store, Environment* environment, std::ostream& err,
              StoreOutcome& outcome, bool cutBySetx = false);

// How the line that says how to undo a store starts: the backup's path
// follows, then a closing quote.
inline constexpr std::string_view kUndoLineStart = "To undo: reg import \"";

// Where the backups of a Path go, below the folder `localAppData`, and how
// the name of each of `scope` starts (the local time follows, then ".reg"
// or, for a second backup in one second, "-2.reg" and so on).
std::string BackupFolder(const std::string& localAppData);
std::string BackupStem(Scope scope);

// Whether storing `newText` in place of `before` is refused, whatever the
// store says: kExitControlCharacters where `before` holds a control
// character, kExitEmptyResult where a Path that is not empty would become
// empty, kExitCutBySetx where `cutBySetx`; else kExitDone. `why` says it,
// of the value named `stored`, without brackets. --write and --check judge
// by it alike.
int StoreRefusal(const StoredValue& before, const std::string& newText, const std::string& stored,
                 std::string& why, bool cutBySetx = false);

}  // namespace pathshrink
