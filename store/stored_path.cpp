#include "store/stored_path.h"

#include "compact/path_list_syntax.h"
#include "pathtext/path_conventions.h"
#include "pathtext/path_parts.h"
#include "store/registry_backup.h"

namespace pathshrink {
namespace {

const char* ScopeWord(Scope scope) { return scope == Scope::kUser ? "user" : "machine"; }

bool HoldsReferences(const std::string& list) {
  for (const std::string_view entry : SplitPathList(list, true)) {
    if (HoldsEnvironmentReference(entry)) return true;
  }
  return false;
}

// Whether the value reads back exactly as it was read before.
bool Unchanged(const StoredValue& now, const StoredValue& before) {
  return now == before && (now.bytes.empty() || before.bytes.empty() || now.bytes == before.bytes);
}

// The backup file: written first, kept only where a value was stored.
class Backup {
 public:
  Backup(EnvironmentStore& store, std::ostream& err) : store_(store), err_(err) {}

  // Writes the backup of `before` below the folder `localAppData`.
  int Write(Scope scope, const StoredValue& before, const std::string& localAppData) {
    const std::string bytes = RegistryBackup(scope, "Path", before);
    const std::string stem =
        BackupFolder(localAppData) + "\\" + BackupStem(scope) + store_.TimeStamp();
    StoreStatus saved = StoreStatus::kFailed;
    // Two runs in one second get names of their own; none is overwritten.
    for (int n = 1; n <= 100 && !bytes.empty(); ++n) {
      path_ = stem + (n == 1 ? "" : "-" + std::to_string(n)) + ".reg";
      saved = store_.SaveNewFile(path_, bytes);
      if (saved != StoreStatus::kExists) break;
    }
    if (saved != StoreStatus::kOk) {
      err_ << "[can't write the backup '" + path_ + "'; nothing stored]\n";
      return kExitBackupFailed;
    }
    return kExitDone;
  }

  // Nothing was stored: the backup would only restore what is there, and
  // after an installer's change, erase that change.
  int Discard(int status) {
    if (store_.RemoveFile(path_) != StoreStatus::kOk) {
      err_ << "[can't remove the backup '" + path_ + "', which is not needed]\n";
    }
    return status;
  }

  const std::string& path() const { return path_; }

 private:
  EnvironmentStore& store_;
  std::ostream& err_;
  std::string path_;
};

}  // namespace

std::string BackupFolder(const std::string& localAppData) {
  std::string folder = localAppData;
  if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
  return folder + "pathshrink\\backups";
}

std::string BackupStem(Scope scope) { return std::string("Path-") + ScopeWord(scope) + "-"; }

int StoreRefusal(const StoredValue& before, const std::string& newText, const std::string& stored,
                 std::string& why, bool cutBySetx) {
  if (HoldsControlCharacter(before.text)) {
    why = stored +
          " holds a control character (a line break, a tab), which no directory's name can hold: "
          "mend it by hand";
    return kExitControlCharacters;
  }
  if (newText.empty() && !before.text.empty()) {
    why = "the new Path would be empty";
    return kExitEmptyResult;
  }
  if (cutBySetx && newText != before.text) {
    why = stored +
          " looks cut by setx (exactly 1024 characters, its last entry names no folder): "
          "restore it from a backup, or store the new Path all the same with --write --force";
    return kExitCutBySetx;
  }
  return kExitDone;
}

int StorePath(Scope scope, const StoredValue& before, const std::string& newText,
              EnvironmentStore& store, Environment* environment, std::ostream& err,
              StoreOutcome& outcome, bool cutBySetx) {
  const std::string key = ScopeKeyName(scope);
  outcome = StoreOutcome();

  // 1. A backup first, or nothing at all.
  const std::optional<std::string> appData =
      environment != nullptr ? environment->Variable("LOCALAPPDATA") : std::nullopt;
  if (!appData || appData->empty()) {
    err << "[can't write a backup: LOCALAPPDATA is not set; nothing stored]\n";
    return kExitBackupFailed;
  }
  if (!IsAbsolutePath(*appData, kWindowsConventions)) {
    err << "[can't write a backup: LOCALAPPDATA is not an absolute path ('" + *appData +
               "'); nothing stored]\n";
    return kExitBackupFailed;
  }
  Backup backup(store, err);
  if (const int status = backup.Write(scope, before, *appData); status != kExitDone) return status;

  // 2. Nobody changed it in between (an installer, another window).
  StoredValue now;
  if (store.Read(scope, "Path", now) != StoreStatus::kOk || !Unchanged(now, before)) {
    err << "[the Path in " + key + " changed since it was read; nothing stored: run again]\n";
    return backup.Discard(kExitStoredChanged);
  }

  // 3. Something worth storing, and nothing it would lose without a word.
  std::string why;
  if (const int refused = StoreRefusal(before, newText, "the Path in " + key, why, cutBySetx);
      refused != kExitDone) {
    err << "[" + why + "; nothing stored]\n";
    return backup.Discard(refused);
  }
  // (An empty Path stays empty: nothing changes, which is no failure.)
  if (newText == before.text) {
    err << "The stored Path is as short as it gets; nothing stored.\n";
    return backup.Discard(kExitDone);
  }

  // 4. The same type: REG_EXPAND_SZ stays REG_EXPAND_SZ, or every %NAME%
  // entry would stop working.
  const StoredValue after{newText, before.type, {}};
  if (before.type == StoredType::kString && HoldsReferences(newText)) {
    err << "[the stored Path is REG_SZ: Windows does not expand its %NAME% references]\n";
  }
  switch (store.Write(scope, "Path", after)) {
    case StoreStatus::kOk:
      break;
    case StoreStatus::kAccessDenied:
      err << "[access denied writing the Path in " + key +
                 ": run as administrator; nothing stored]\n";
      return backup.Discard(kExitAccessDenied);
    default:
      err << "[can't write the Path in " + key + "; nothing stored]\n";
      return backup.Discard(kExitStoreFailed);
  }

  // 5. Stored as meant, or put back as it was, byte for byte, and seen to
  // be so: only then is the backup, the one copy of those bytes, let go.
  StoredValue readBack;
  if (store.Read(scope, "Path", readBack) != StoreStatus::kOk || !(readBack == after)) {
    StoredValue restored;
    if (store.Write(scope, "Path", before) == StoreStatus::kOk &&
        store.Read(scope, "Path", restored) == StoreStatus::kOk && Unchanged(restored, before)) {
      err << "[the Path in " + key +
                 " did not read back as written; the old value is stored again and read back"
                 " as it was]\n";
      return backup.Discard(kExitStoreFailed);
    }
    err << "[the Path in " + key +
               " did not read back as written, and the old value could not be stored again:"
               " what it holds now is unknown; restore it with: reg import \"" +
               backup.path() + "\"]\n";
    outcome.backup = backup.path();
    return kExitStoreFailed;
  }
  outcome.stored = true;
  outcome.backup = backup.path();
  err << "Stored the new Path in " + key + ".\n";
  err << "Backup of the old Path: " + backup.path() + "\n";
  err << std::string(kUndoLineStart) + backup.path() + "\"\n";
  if (!store.AnnounceChange()) {
    err << "[can't tell running programs that the environment changed; sign out and in]\n";
  }
  err << "Windows already open keep their old PATH; new ones get the new one.\n";
  return kExitDone;
}

}  // namespace pathshrink
