#include "system/windows_environment_store.h"

#include <windows.h>

#include <cstdio>
#include <vector>

#include "system/windows_utf8.h"

namespace pathshrink {
namespace {

HKEY RootOf(Scope scope) { return scope == Scope::kUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE; }

const wchar_t* SubKeyOf(Scope scope) {
  return scope == Scope::kUser
             ? L"Environment"
             : L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
}

StoreStatus StatusOf(LSTATUS status) {
  switch (status) {
    case ERROR_SUCCESS:
      return StoreStatus::kOk;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return StoreStatus::kNotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_PRIVILEGE_NOT_HELD:
      return StoreStatus::kAccessDenied;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return StoreStatus::kExists;
    default:
      return StoreStatus::kFailed;
  }
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
  // Raw: RRF_NOEXPAND keeps the references, and with it a REG_EXPAND_SZ
  // value may be asked for at all.
  const DWORD flags = RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND;
  std::vector<wchar_t> buffer(4096);
  for (;;) {
    DWORD type = 0;
    DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    const LSTATUS status = ::RegGetValueW(RootOf(scope), SubKeyOf(scope), wideName.c_str(), flags,
                                          &type, buffer.data(), &bytes);
    if (status == ERROR_MORE_DATA) {
      // The value may have grown in between: ask again with room to spare.
      buffer.assign(bytes / sizeof(wchar_t) + 64, L'\0');
      continue;
    }
    if (status != ERROR_SUCCESS) return StatusOf(status);
    std::size_t units = bytes / sizeof(wchar_t);
    while (units > 0 && buffer[units - 1] == L'\0') --units;  // the terminator(s)
    std::string text;
    if (!WideToUtf8(std::wstring_view(buffer.data(), units), text)) {
      // A name the tool cannot carry exactly: better not to touch the value.
      return StoreStatus::kFailed;
    }
    value.text = std::move(text);
    value.type = type == REG_EXPAND_SZ ? StoredType::kExpandString : StoredType::kString;
    return StoreStatus::kOk;
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
  const LSTATUS opened =
      ::RegOpenKeyExW(RootOf(scope), SubKeyOf(scope), 0, KEY_SET_VALUE, key.out());
  if (opened != ERROR_SUCCESS) return StatusOf(opened);
  const DWORD type = value.type == StoredType::kExpandString ? REG_EXPAND_SZ : REG_SZ;
  const DWORD bytes = static_cast<DWORD>((wideText.size() + 1) * sizeof(wchar_t));
  return StatusOf(::RegSetValueExW(key.get(), wideName.c_str(), 0, type,
                                   reinterpret_cast<const BYTE*>(wideText.c_str()), bytes));
}

std::vector<std::string> WindowsEnvironmentStore::Names(Scope scope) {
  std::vector<std::string> names;
  KeyGuard key;
  if (::RegOpenKeyExW(RootOf(scope), SubKeyOf(scope), 0, KEY_QUERY_VALUE, key.out()) !=
      ERROR_SUCCESS) {
    return names;
  }
  std::vector<wchar_t> name(16384);  // the longest value name, and its terminator
  for (DWORD index = 0;; ++index) {
    DWORD length = static_cast<DWORD>(name.size());
    const LSTATUS status =
        ::RegEnumValueW(key.get(), index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (status != ERROR_SUCCESS) break;
    std::string utf8;
    if (WideToUtf8(std::wstring_view(name.data(), length), utf8, Unconvertible::kReplace)) {
      names.push_back(std::move(utf8));
    }
  }
  return names;
}

StoreStatus WindowsEnvironmentStore::SaveNewFile(const std::string& path,
                                                 const std::string& bytes) {
  std::wstring widePath;
  if (!Utf8ToWide(path, widePath)) return StoreStatus::kFailed;
  // Each folder on the way, from the first below the root on.
  for (std::size_t at = widePath.find_first_of(L"\\/", 3); at != std::wstring::npos;
       at = widePath.find_first_of(L"\\/", at + 1)) {
    const std::wstring folder = widePath.substr(0, at);
    if (!::CreateDirectoryW(folder.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
      const DWORD error = ::GetLastError();
      // A share's own name, or a folder that may exist though not be made
      // here: the open below tells.
      if (error != ERROR_ACCESS_DENIED && error != ERROR_INVALID_NAME &&
          error != ERROR_BAD_NETPATH) {
        return StatusOf(static_cast<LSTATUS>(error));
      }
    }
  }
  HANDLE file = ::CreateFileW(widePath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return StatusOf(static_cast<LSTATUS>(::GetLastError()));
  DWORD written = 0;
  const BOOL wrote =
      ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  // The backup counts only once it is on disk whole.
  const BOOL flushed = wrote && ::FlushFileBuffers(file);
  const BOOL closed = ::CloseHandle(file);
  if (!wrote || !flushed || !closed || written != bytes.size()) {
    ::DeleteFileW(widePath.c_str());
    return StoreStatus::kFailed;
  }
  return StoreStatus::kOk;
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
