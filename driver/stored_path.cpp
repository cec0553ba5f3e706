#include "driver/stored_path.h"

#include "compact/path_list_syntax.h"
#include "driver/registry_backup.h"
#include "pathtext/path_conventions.h"
#include "pathtext/path_key.h"

namespace pathshrink {
namespace {

// Set for each user as the user's profile is loaded, after the machine's
// variables were expanded.
constexpr const char* kProfileVariables[] = {
    "USERPROFILE",       "USERNAME",    "USERDOMAIN", "USERDOMAIN_ROAMINGPROFILE",
    "HOMEDRIVE",         "HOMEPATH",    "HOMESHARE",  "APPDATA",
    "LOCALAPPDATA",      "LOGONSERVER", "ONEDRIVE",   "ONEDRIVECONSUMER",
    "ONEDRIVECOMMERCIAL"};

const char* ScopeWord(Scope scope) { return scope == Scope::kUser ? "user" : "machine"; }

bool HoldsReferences(const std::string& list) {
  for (const std::string_view entry : SplitPathList(list, true)) {
    if (HoldsEnvironmentReference(entry)) return true;
  }
  return false;
}

}  // namespace

MachineEnvironment::MachineEnvironment(Environment& environment, EnvironmentStore& store)
    : environment_(environment) {
  for (const char* name : kProfileVariables) hidden_.insert(FoldCase(name));
  // A name both scopes define (TEMP, TMP) is hidden too: which value the
  // machine's Path would see cannot be told from here, and an entry kept as
  // typed loses nothing.
  for (const std::string& name : store.Names(Scope::kUser)) hidden_.insert(FoldCase(name));
}

std::optional<std::string> MachineEnvironment::Variable(const std::string& name) {
  if (hidden_.count(FoldCase(name)) != 0) return std::nullopt;
  return environment_.Variable(name);
}

int StorePath(Scope scope, const StoredValue& before, const std::string& newText,
              EnvironmentStore& store, Environment* environment, std::ostream& err) {
  const std::string key = ScopeKeyName(scope);

  // 1. A backup first, or nothing at all.
  const std::optional<std::string> appData =
      environment != nullptr ? environment->Variable("LOCALAPPDATA") : std::nullopt;
  if (!appData || appData->empty()) {
    err << "[can't write a backup: LOCALAPPDATA is not set; nothing stored]\n";
    return kExitBackupFailed;
  }
  const std::string bytes = RegistryBackup(scope, "Path", before);
  std::string folder = *appData;
  if (folder.back() != '\\' && folder.back() != '/') folder += '\\';
  folder += "pathshrink\\backups\\";
  const std::string stem = folder + "Path-" + ScopeWord(scope) + "-" + store.TimeStamp();
  std::string backup;
  StoreStatus saved = StoreStatus::kFailed;
  // Two runs in one second get names of their own; none is overwritten.
  for (int n = 1; n <= 100 && !bytes.empty(); ++n) {
    backup = stem + (n == 1 ? "" : "-" + std::to_string(n)) + ".reg";
    saved = store.SaveNewFile(backup, bytes);
    if (saved != StoreStatus::kExists) break;
  }
  if (saved != StoreStatus::kOk) {
    err << "[can't write the backup '" + backup + "'; nothing stored]\n";
    return kExitBackupFailed;
  }
  err << "Backup of the stored Path: " + backup + "\n";
  err << "To undo: reg import \"" + backup + "\"\n";

  // 2. Nobody changed it in between (an installer, another window).
  StoredValue now;
  if (store.Read(scope, "Path", now) != StoreStatus::kOk || !(now == before)) {
    err << "[the Path in " + key + " changed since it was read; nothing stored: run again]\n";
    return kExitStoredChanged;
  }

  // 3. Something worth storing.
  if (newText.empty()) {
    err << "[the new Path would be empty; nothing stored]\n";
    return kExitEmptyResult;
  }
  if (newText == before.text) {
    err << "The stored Path is as short as it gets; nothing stored.\n";
    return kExitDone;
  }

  // 4. The same type: REG_EXPAND_SZ stays REG_EXPAND_SZ, or every %NAME%
  // entry would stop working.
  const StoredValue after{newText, before.type};
  if (before.type == StoredType::kString && HoldsReferences(newText)) {
    err << "[the stored Path is REG_SZ: Windows does not expand its %NAME% references]\n";
  }
  switch (store.Write(scope, "Path", after)) {
    case StoreStatus::kOk:
      break;
    case StoreStatus::kAccessDenied:
      err << "[access denied writing the Path in " + key +
                 ": run as administrator; nothing stored]\n";
      return kExitAccessDenied;
    default:
      err << "[can't write the Path in " + key + "; nothing stored]\n";
      return kExitStoreFailed;
  }

  // 5. Stored as meant, or put back as it was.
  StoredValue readBack;
  if (store.Read(scope, "Path", readBack) != StoreStatus::kOk || !(readBack == after)) {
    const bool restored = store.Write(scope, "Path", before) == StoreStatus::kOk;
    err << "[the Path in " + key + " did not read back as written; " +
               (restored ? "the old value is stored again]\n"
                         : "restore it with: reg import \"" + backup + "\"]\n");
    return kExitStoreFailed;
  }
  err << "Stored the new Path in " + key + ".\n";
  if (!store.AnnounceChange()) {
    err << "[can't tell running programs that the environment changed; sign out and in]\n";
  }
  err << "Windows already open keep their old PATH; new ones get the new one.\n";
  return kExitDone;
}

}  // namespace pathshrink
