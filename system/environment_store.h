#pragma once

#include <string>
#include <vector>

namespace pathshrink {

// Where Windows keeps the variables it builds every new environment from.
enum class Scope {
  kUser,     // HKEY_CURRENT_USER\Environment
  kMachine,  // HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\Session Manager\Environment
  kProfile,  // HKEY_CURRENT_USER\Volatile Environment: the profile's own (read only)
};

// The registry key of `scope` below its root key ("Environment").
const char* ScopeSubKey(Scope scope);
// The whole key, spelled as reg.exe and .reg files spell it.
std::string ScopeKeyName(Scope scope);

// A stored value's type: whether Windows expands its %NAME% references,
// or a type no variable can be read as.
enum class StoredType {
  kString,        // REG_SZ: taken literally
  kExpandString,  // REG_EXPAND_SZ: references expanded
  kMultiString,   // REG_MULTI_SZ
  kBinary,        // REG_BINARY
  kDword,         // REG_DWORD
  kQword,         // REG_QWORD
  kNone,          // REG_NONE
  kOther,         // any other
};

// The name Windows gives the type ("REG_EXPAND_SZ").
const char* StoredTypeName(StoredType type);

struct StoredValue {
  // UTF-8, raw: references as stored, without the terminating NULs (a NUL
  // inside it stays, as '\0').
  std::string text;
  StoredType type = StoredType::kExpandString;
  // The data exactly as stored (UTF-16LE, terminators and an odd last byte
  // included); empty where the value is made here rather than read.
  std::string bytes;

  // Text and type: what Windows makes of the value.
  bool operator==(const StoredValue& other) const {
    return text == other.text && type == other.type;
  }
};

// The UTF-16LE bytes Windows stores for `text` with its terminating NUL.
std::string StoredBytes(const std::string& text);

struct StoredVariable {
  std::string name;
  StoredValue value;
};

enum class StoreStatus {
  kOk,
  kNotFound,      // no such value (or key, or folder)
  kAccessDenied,  // not for this user: the machine's values need an administrator
  kExists,        // a new file was asked for and one is there
  kFailed,        // anything else
};

// The stored environment and what storing it for good needs: the values
// themselves, the variables Windows builds a logon's environment from, a
// file for the backup, the time for its name, and the word to the running
// programs that the environment changed. Abstract so that every step and
// failure of storing runs on any platform: WindowsEnvironmentStore speaks
// to the registry; InMemoryEnvironmentStore (in testing/) holds it all in
// memory and fails on cue.
class EnvironmentStore {
 public:
  virtual ~EnvironmentStore() = default;

  // The value `name` of `scope`, raw (references unexpanded), with its type.
  virtual StoreStatus Read(Scope scope, const std::string& name, StoredValue& value) = 0;
  virtual StoreStatus Write(Scope scope, const std::string& name, const StoredValue& value) = 0;
  // Every variable stored in `scope`, in the order the registry lists them.
  virtual std::vector<StoredVariable> Variables(Scope scope) = 0;
  // The variables the system sets for every logon before the stored ones
  // (SystemRoot, SystemDrive, ProgramFiles, ...), as the system keeps them:
  // from its own records, never from this process's environment.
  virtual std::vector<StoredVariable> SystemVariables() = 0;

  // Writes `bytes` to the file `path`, which must not exist yet, making its
  // folders as needed.
  virtual StoreStatus SaveNewFile(const std::string& path, const std::string& bytes) = 0;
  // Removes the file `path`.
  virtual StoreStatus RemoveFile(const std::string& path) = 0;
  // The whole file `path`, into `bytes`.
  virtual StoreStatus ReadFile(const std::string& path, std::string& bytes) = 0;
  // Makes `bytes` the whole of the file `path`, in place of what it held,
  // making its folders as needed.
  virtual StoreStatus OverwriteFile(const std::string& path, const std::string& bytes) = 0;
  // The names of the files (not folders) in the folder `folder`, in no
  // particular order; none where it cannot be listed.
  virtual std::vector<std::string> FileNames(const std::string& folder) = 0;
  // The local time as YYYYMMDD-HHMMSS, for the names of backups.
  virtual std::string TimeStamp() = 0;
  // Tells the running programs that the stored environment changed; false
  // when the word could not be sent.
  virtual bool AnnounceChange() = 0;
};

}  // namespace pathshrink
