#include "sources/stored_list.h"

#include "pathtext/path_parts.h"
#include "pathtext/path_spelling.h"
#include "report/exit_status.h"

namespace pathshrink {

int ReadStoredList(Scope scope, EnvironmentStore& store, Environment* process, StoredList& list,
                   std::ostream& err) {
  list.scope = scope;
  const std::string key = ScopeKeyName(scope);
  StoredValue& stored = list.value;
  switch (store.Read(scope, "Path", stored)) {
    case StoreStatus::kOk:
      break;
    case StoreStatus::kNotFound:
      err << "[no Path is stored in " + key + "]\n";
      return kExitStoredUnreadable;
    case StoreStatus::kAccessDenied:
      err << "[access denied reading the Path in " + key + "]\n";
      return kExitStoredUnreadable;
    default:
      err << "[can't read the Path in " + key + "]\n";
      return kExitStoredUnreadable;
  }
  if (stored.type != StoredType::kString && stored.type != StoredType::kExpandString) {
    err << "[the Path in " + key + " is " + StoredTypeName(stored.type) +
               ", which Windows does not read as a list; nothing done]\n";
    return kExitStoredUnreadable;
  }
  if (const std::size_t nul = stored.text.find('\0'); nul != std::string::npos) {
    err << "[the Path in " + key + " holds a NUL character after " +
               std::to_string(Utf16Length(std::string_view(stored.text).substr(0, nul))) +
               " characters, and Windows reads it only up to there; nothing done]\n";
    return kExitStoredUnreadable;
  }
  // What the entries the tool stored before were written for, where it
  // kept that (beside the backups).
  const std::optional<std::string> appData =
      process != nullptr ? process->Variable("LOCALAPPDATA") : std::nullopt;
  if (appData && IsAbsolutePath(*appData, kWindowsConventions)) {
    list.writtenForFile = WrittenForFile(scope, *appData);
    std::string bytes;
    if (store.ReadFile(list.writtenForFile, bytes) == StoreStatus::kOk) {
      std::size_t ignored = 0;
      list.writtenFor = ParseWrittenFor(bytes, ignored, &list.leftOut);
      if (ignored > 0) {
        err << "[ignored " + std::to_string(ignored) + " line" + (ignored == 1 ? "" : "s") +
                   " of '" + list.writtenForFile +
                   "' that name no absolute folder or are not of such a file]\n";
      }
    }
  }
  // Windows takes a REG_SZ value literally: a reference there leads
  // nowhere, and must not make a literal entry look like a repeat.
  if (stored.type == StoredType::kExpandString) list.logon.emplace(store, scope);
  return kExitDone;
}

}  // namespace pathshrink
