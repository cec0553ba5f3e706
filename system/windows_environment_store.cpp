#include "system/windows_environment_store.h"

#include <windows.h>

#include <cstdio>
#include <vector>

#include "system/windows_utf8.h"

namespace pathshrink {
namespace {

HKEY RootOf(Scope scope) {
  return scope == Scope::kMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

std::wstring SubKeyOf(Scope scope) {
  std::wstring wide;
  Utf8ToWide(ScopeSubKey(scope), wide);
  return wide;
}

// What a registry call's status means here.
StoreStatus StatusOfRegistry(LSTATUS status) {
  switch (status) {
    case ERROR_SUCCESS:
      return StoreStatus::kOk;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return StoreStatus::kNotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_PRIVILEGE_NOT_HELD:
      return StoreStatus::kAccessDenied;
    default:
      return StoreStatus::kFailed;
  }
}

// What a file call's last error means here.
StoreStatus StatusOfFile(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return StoreStatus::kNotFound;
    case ERROR_ACCESS_DENIED:
      return StoreStatus::kAccessDenied;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return StoreStatus::kExists;
    default:
      return StoreStatus::kFailed;
  }
}

StoredType TypeOf(DWORD type) {
  switch (type) {
    case REG_SZ:
      return StoredType::kString;
    case REG_EXPAND_SZ:
      return StoredType::kExpandString;
    case REG_MULTI_SZ:
      return StoredType::kMultiString;
    case REG_BINARY:
      return StoredType::kBinary;
    case REG_DWORD:
      return StoredType::kDword;
    case REG_QWORD:
      return StoredType::kQword;
    case REG_NONE:
      return StoredType::kNone;
    default:
      return StoredType::kOther;
  }
}

// `value` from the data as stored: the bytes kept whole, the text read as
// UTF-16LE without its terminating NULs (an odd last byte is no character).
bool Decoded(DWORD type, std::string bytes, StoredValue& value) {
  value.type = TypeOf(type);
  std::wstring units(bytes.size() / 2, L'\0');
  for (std::size_t i = 0; i < units.size(); ++i) {
    units[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                    static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
  }
  while (!units.empty() && units.back() == L'\0') units.pop_back();
  value.bytes = std::move(bytes);
  value.text.clear();
  if (value.type != StoredType::kString && value.type != StoredType::kExpandString) return true;
  // A name the tool cannot carry exactly: better not to touch the value.
  return WideToUtf8(units, value.text);
}

// Closes a registry key on every way out.
class KeyGuard {
 public:
  KeyGuard() = default;
  ~KeyGuard() {
    if (key_ != nullptr) ::RegCloseKey(key_);
  }
  KeyGuard(const KeyGuard&) = delete;
  KeyGuard& operator=(const KeyGuard&) = delete;
  HKEY* out() { return &key_; }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

}  // namespace

StoreStatus WindowsEnvironmentStore::Read(Scope scope, const std::string& name,
                                          StoredValue& value) {
  std::wstring wideName;
  if (!Utf8ToWide(name, wideName)) return StoreStatus::kFailed;
  KeyGuard key;
  const LSTATUS opened =
      ::RegOpenKeyExW(RootOf(scope), SubKeyOf(scope).c_str(), 0, KEY_QUERY_VALUE, key.out());
  if (opened != ERROR_SUCCESS) return StatusOfRegistry(opened);
  // The data as stored, byte for byte: RegQueryValueExW adds no terminator
  // and expands nothing.
  std::string bytes(4096, '\0');
  for (;;) {
    DWORD type = 0;
    DWORD size = static_cast<DWORD>(bytes.size());
    const LSTATUS status = ::RegQueryValueExW(key.get(), wideName.c_str(), nullptr, &type,
                                              reinterpret_cast<BYTE*>(bytes.data()), &size);
    if (status == ERROR_MORE_DATA) {
      // The value may have grown in between: ask again with room to spare.
      bytes.assign(size + 128, '\0');
      continue;
    }
    if (status != ERROR_SUCCESS) return StatusOfRegistry(status);
    bytes.resize(size);
    return Decoded(type, std::move(bytes), value) ? StoreStatus::kOk : StoreStatus::kFailed;
  }
}

StoreStatus WindowsEnvironmentStore::Write(Scope scope, const std::string& name,
                                           const StoredValue& value) {
  std::wstring wideName;
  std::wstring wideText;
  if (!Utf8ToWide(name, wideName) || !Utf8ToWide(value.text, wideText)) {
    return StoreStatus::kFailed;
  }
  KeyGuard key;
  if (value.type != StoredType::kString && value.type != StoredType::kExpandString) {
    return StoreStatus::kFailed;  // only text is ever written
  }
  const LSTATUS opened =
      ::RegOpenKeyExW(RootOf(scope), SubKeyOf(scope).c_str(), 0, KEY_SET_VALUE, key.out());
  if (opened != ERROR_SUCCESS) return StatusOfRegistry(opened);
  const DWORD type = value.type == StoredType::kExpandString ? REG_EXPAND_SZ : REG_SZ;
  // A value read before goes back exactly as it was, its terminators (or
  // their lack) included; a new one is its text and one terminator.
  if (!value.bytes.empty()) {
    // Windows adds a terminator to string data that lacks one where the
    // character after it is a NUL ("the caller forgot to count it"): what
    // follows the bytes here is not one, so they are stored as they are.
    std::string exact = value.bytes;
    exact.append("\xFF\xFF", 2);
    return StatusOfRegistry(::RegSetValueExW(key.get(), wideName.c_str(), 0, type,
                                             reinterpret_cast<const BYTE*>(exact.data()),
                                             static_cast<DWORD>(value.bytes.size())));
  }
  const DWORD bytes = static_cast<DWORD>((wideText.size() + 1) * sizeof(wchar_t));
  return StatusOfRegistry(::RegSetValueExW(key.get(), wideName.c_str(), 0, type,
                                           reinterpret_cast<const BYTE*>(wideText.c_str()), bytes));
}

std::vector<StoredVariable> WindowsEnvironmentStore::Variables(Scope scope) {
  std::vector<StoredVariable> variables;
  KeyGuard key;
  if (::RegOpenKeyExW(RootOf(scope), SubKeyOf(scope).c_str(), 0, KEY_QUERY_VALUE, key.out()) !=
      ERROR_SUCCESS) {
    return variables;
  }
  std::vector<wchar_t> name(16384);  // the longest value name, and its terminator
  for (DWORD index = 0;; ++index) {
    DWORD length = static_cast<DWORD>(name.size());
    const LSTATUS status =
        ::RegEnumValueW(key.get(), index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (status != ERROR_SUCCESS) break;
    StoredVariable variable;
    if (!WideToUtf8(std::wstring_view(name.data(), length), variable.name)) continue;
    if (Read(scope, variable.name, variable.value) != StoreStatus::kOk) continue;
    variables.push_back(std::move(variable));
  }
  return variables;
}

std::vector<StoredVariable> WindowsEnvironmentStore::SystemVariables() {
  std::vector<StoredVariable> variables;
  const auto add = [&variables](const char* name, std::string text, StoredType type) {
    if (!text.empty()) variables.push_back({name, {std::move(text), type, {}}});
  };
  // The Windows folder, as the system knows it (not as %SystemRoot% says).
  std::string root;
  if (AskForText(
          MAX_PATH,
          [](wchar_t* buffer, unsigned long size) {
            return ::GetSystemWindowsDirectoryW(buffer, size);
          },
          root)) {
    add("SystemRoot", root, StoredType::kString);
    add("SystemDrive", root.substr(0, 2), StoredType::kString);
  }
  // The rest where the system records them; values that refer to others
  // (%SystemDrive%\ProgramData) are expanded by the caller.
  const struct {
    const wchar_t* key;
    const wchar_t* value;
    const char* name;
  } recorded[] = {
      {L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList", L"ProgramData",
       "ALLUSERSPROFILE"},
      {L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList", L"ProgramData",
       "ProgramData"},
      {L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList", L"Public", "PUBLIC"},
      {L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", L"ProgramFilesDir", "ProgramFiles"},
      {L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", L"ProgramFilesDir (x86)",
       "ProgramFiles(x86)"},
      {L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", L"ProgramW6432Dir", "ProgramW6432"},
      {L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", L"CommonFilesDir", "CommonProgramFiles"},
      {L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", L"CommonFilesDir (x86)",
       "CommonProgramFiles(x86)"},
      {L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", L"CommonW6432Dir", "CommonProgramW6432"},
      // ARM64 only: the folders of 32-bit Arm programs.
      {L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", L"ProgramFilesDir (Arm)",
       "ProgramFiles(Arm)"},
      {L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", L"CommonFilesDir (Arm)",
       "CommonProgramFiles(Arm)"},
  };
  for (const auto& place : recorded) {
    KeyGuard key;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, place.key, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY,
                        key.out()) != ERROR_SUCCESS) {
      continue;
    }
    std::string bytes(2048, '\0');
    DWORD type = 0;
    DWORD size = static_cast<DWORD>(bytes.size());
    if (::RegQueryValueExW(key.get(), place.value, nullptr, &type,
                           reinterpret_cast<BYTE*>(bytes.data()), &size) != ERROR_SUCCESS) {
      continue;
    }
    bytes.resize(size);
    StoredValue value;
    if (Decoded(type, std::move(bytes), value)) add(place.name, value.text, value.type);
  }
  std::string computer;
  if (AskForText(
          MAX_COMPUTERNAME_LENGTH + 1,
          [](wchar_t* buffer, unsigned long size) {
            DWORD length = size;
            if (::GetComputerNameW(buffer, &length)) return length;
            return ::GetLastError() == ERROR_BUFFER_OVERFLOW ? length : 0UL;
          },
          computer)) {
    add("COMPUTERNAME", computer, StoredType::kString);
  }
  return variables;
}

namespace {

// Makes each folder on the way to the file `widePath`, from the first below
// the root on; false with the status where one could not be made.
bool MakeFolders(const std::wstring& widePath, StoreStatus& status) {
  for (std::size_t at = widePath.find_first_of(L"\\/", 3); at != std::wstring::npos;
       at = widePath.find_first_of(L"\\/", at + 1)) {
    const std::wstring folder = widePath.substr(0, at);
    if (!::CreateDirectoryW(folder.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
      const DWORD error = ::GetLastError();
      // A share's own name, or a folder that may exist though not be made
      // here: the open that follows tells.
      if (error != ERROR_ACCESS_DENIED && error != ERROR_INVALID_NAME &&
          error != ERROR_BAD_NETPATH) {
        status = StatusOfFile(error);
        return false;
      }
    }
  }
  return true;
}

// Writes `bytes` to a file just made (`disposition`) and flushes it; the
// file is removed again where that fails.
StoreStatus WriteWhole(const std::wstring& widePath, DWORD disposition, const std::string& bytes) {
  HANDLE file = ::CreateFileW(widePath.c_str(), GENERIC_WRITE, 0, nullptr, disposition,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return StatusOfFile(::GetLastError());
  DWORD written = 0;
  const BOOL wrote =
      ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  // It counts only once it is on disk whole.
  const BOOL flushed = wrote && ::FlushFileBuffers(file);
  const BOOL closed = ::CloseHandle(file);
  if (!wrote || !flushed || !closed || written != bytes.size()) {
    ::DeleteFileW(widePath.c_str());
    return StoreStatus::kFailed;
  }
  return StoreStatus::kOk;
}

}  // namespace

StoreStatus WindowsEnvironmentStore::SaveNewFile(const std::string& path,
                                                 const std::string& bytes) {
  std::wstring widePath;
  if (!Utf8ToWide(path, widePath)) return StoreStatus::kFailed;
  StoreStatus status = StoreStatus::kOk;
  if (!MakeFolders(widePath, status)) return status;
  // CREATE_NEW: a backup made earlier in the same second is never lost.
  return WriteWhole(widePath, CREATE_NEW, bytes);
}

StoreStatus WindowsEnvironmentStore::OverwriteFile(const std::string& path,
                                                   const std::string& bytes) {
  std::wstring widePath;
  if (!Utf8ToWide(path, widePath)) return StoreStatus::kFailed;
  StoreStatus status = StoreStatus::kOk;
  if (!MakeFolders(widePath, status)) return status;
  // Whole or not at all: written beside it, then moved in place. The name
  // beside it is this process's own, so two runs at once never write one.
  const std::wstring fresh = widePath + L".new-" + std::to_wstring(::GetCurrentProcessId());
  status = WriteWhole(fresh, CREATE_ALWAYS, bytes);
  if (status != StoreStatus::kOk) return status;
  if (!::MoveFileExW(fresh.c_str(), widePath.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    status = StatusOfFile(::GetLastError());
    ::DeleteFileW(fresh.c_str());
  }
  return status;
}

StoreStatus WindowsEnvironmentStore::ReadFile(const std::string& path, std::string& bytes) {
  std::wstring widePath;
  if (!Utf8ToWide(path, widePath)) return StoreStatus::kFailed;
  HANDLE file = ::CreateFileW(widePath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return StatusOfFile(::GetLastError());
  bytes.clear();
  char buffer[4096];
  DWORD got = 0;
  BOOL read = FALSE;
  while ((read = ::ReadFile(file, buffer, sizeof buffer, &got, nullptr)) != FALSE && got > 0) {
    bytes.append(buffer, got);
  }
  ::CloseHandle(file);
  return read != FALSE ? StoreStatus::kOk : StoreStatus::kFailed;
}

std::vector<std::string> WindowsEnvironmentStore::FileNames(const std::string& folder) {
  std::vector<std::string> names;
  std::wstring pattern;
  if (folder.empty() || !Utf8ToWide(folder, pattern)) return names;
  if (pattern.back() != L'\\' && pattern.back() != L'/') pattern += L'\\';
  pattern += L'*';
  WIN32_FIND_DATAW found{};
  const HANDLE search = ::FindFirstFileW(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    std::string name;
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
        WideToUtf8(found.cFileName, name)) {
      names.push_back(std::move(name));
    }
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
  return names;
}

StoreStatus WindowsEnvironmentStore::RemoveFile(const std::string& path) {
  std::wstring widePath;
  if (!Utf8ToWide(path, widePath)) return StoreStatus::kFailed;
  return ::DeleteFileW(widePath.c_str()) ? StoreStatus::kOk : StatusOfFile(::GetLastError());
}

std::string WindowsEnvironmentStore::TimeStamp() {
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  char text[32];
  std::snprintf(text, sizeof text, "%04u%02u%02u-%02u%02u%02u", now.wYear, now.wMonth, now.wDay,
                now.wHour, now.wMinute, now.wSecond);
  return text;
}

bool WindowsEnvironmentStore::AnnounceChange() {
  DWORD_PTR result = 0;
  // A program that does not answer within 5 s is skipped, not waited for.
  return ::SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0,
                               reinterpret_cast<LPARAM>(L"Environment"), SMTO_ABORTIFHUNG, 5000,
                               &result) != 0;
}

}  // namespace pathshrink
