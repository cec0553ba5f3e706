#pragma once

#include <string>
#include <vector>

namespace pathshrink {

// Where Windows keeps the variables it builds every new environment from.
enum class Scope {
  kUser,     // HKEY_CURRENT_USER\Environment
  kMachine,  // HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\Session Manager\Environment
};

// The registry key of `scope`, spelled as reg.exe and .reg files spell it.
const char* ScopeKeyName(Scope scope);

// A stored value's type: whether Windows expands its %NAME% references.
enum class StoredType {
  kString,        // REG_SZ: taken literally
  kExpandString,  // REG_EXPAND_SZ: references expanded
};

struct StoredValue {
  std::string text;  // UTF-8, raw: references as stored
  StoredType type = StoredType::kExpandString;

  bool operator==(const StoredValue& other) const {
    return text == other.text && type == other.type;
  }
};

enum class StoreStatus {
  kOk,
  kNotFound,      // no such value (or key, or folder)
  kAccessDenied,  // not for this user: the machine's values need an administrator
  kExists,        // a new file was asked for and one is there
  kFailed,        // anything else
};

// The stored environment and what storing it for good needs: the values
// themselves, a file for the backup, the time for its name, and the word to
// the running programs that the environment changed. Abstract so that every
// step and failure of storing runs on any platform against the in-memory
// realisation; the Windows one speaks to the registry.
class EnvironmentStore {
 public:
  virtual ~EnvironmentStore() = default;

  // The value `name` of `scope`, raw (references unexpanded), with its type.
  virtual StoreStatus Read(Scope scope, const std::string& name, StoredValue& value) = 0;
  virtual StoreStatus Write(Scope scope, const std::string& name, const StoredValue& value) = 0;
  // The names of the variables stored in `scope`.
  virtual std::vector<std::string> Names(Scope scope) = 0;

  // Writes `bytes` to the file `path`, which must not exist yet, making its
  // folders as needed.
  virtual StoreStatus SaveNewFile(const std::string& path, const std::string& bytes) = 0;
  // The local time as YYYYMMDD-HHMMSS, for the names of backups.
  virtual std::string TimeStamp() = 0;
  // Tells the running programs that the stored environment changed; false
  // when the word could not be sent.
  virtual bool AnnounceChange() = 0;
};

}  // namespace pathshrink
