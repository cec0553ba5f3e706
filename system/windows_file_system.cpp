#include "system/windows_file_system.h"

#include <windows.h>
// after windows.h
#include <aclapi.h>
#include <winioctl.h>

#include <cstring>
#include <cwchar>
#include <stdexcept>
#include <vector>

#include "pathtext/path_parts.h"
#include "system/junction_errors.h"
#include "system/mount_point_reparse_data.h"
#include "system/windows_security.h"
#include "system/windows_utf8.h"

namespace pathshrink {
namespace {

// Closes a handle on every way out.
class HandleGuard {
 public:
  explicit HandleGuard(HANDLE handle) : handle_(handle) {}
  ~HandleGuard() {
    if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
  }
  HandleGuard(const HandleGuard&) = delete;
  HandleGuard& operator=(const HandleGuard&) = delete;
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

// `path` opened for its attributes alone, shared every way: a directory
// needs backup semantics to be opened at all; `flags` may add
// FILE_FLAG_OPEN_REPARSE_POINT to open a junction itself.
HandleGuard OpenForAttributes(const std::wstring& path, DWORD flags = FILE_FLAG_BACKUP_SEMANTICS) {
  return HandleGuard(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, flags, nullptr));
}

// `path` with a separator at its end, as a folder to look into.
void EndWithSeparator(std::wstring& path) {
  if (!path.empty() && path.back() != L'\\' && path.back() != L'/') path += L'\\';
}

// Asks a path question of the system: `ask(path, buffer, size)` as
// AskForText has it, and on success puts the answer in `answer` (else
// leaves it untouched). The wide call: every name reaches the system
// exactly as given, whatever the process's code page (a narrow call would
// see best-fit letters).
template <typename Ask>
bool AskForPath(const std::string& path, std::size_t firstSize, Ask ask, std::string& answer) {
  std::wstring widePath;
  if (path.empty() || !Utf8ToWide(path, widePath)) return false;
  std::string asked;
  if (!AskForText(
          firstSize,
          [&](wchar_t* buffer, DWORD size) { return ask(widePath.c_str(), buffer, size); },
          asked)) {
    return false;
  }
  answer.swap(asked);
  return true;
}

// Whether `name` may be looked up as it is: no wildcard (the system's own
// included), no "." or "..", and no trailing dot or space (which the system
// trims). Any other is left to GetShortPathNameW.
bool PlainComponent(std::wstring_view name) {
  return !name.empty() && name != L"." && name != L".." && name.back() != L'.' &&
         name.back() != L' ' && name.find_first_of(L"*?<>\"/:") == std::wstring_view::npos;
}

}  // namespace

// GetShortPathNameW asks each component of each path of its parent folder:
// a list whose entries share "C:\Program Files" and a vendor's folder asks
// those folders again for every entry. Here each folder's short form is
// asked once a run, and an entry below it costs one look, at its own name.
WindowsFileSystem::Walk WindowsFileSystem::WalkShortPath(const std::wstring& path,
                                                         std::wstring& shortPath) {
  // The root: "X:\" or "\\server\share\"; "\\?\", "\\.\" and the rest
  // are the system's to answer.
  std::size_t start = 0;
  const auto letter = [](wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
  };
  if (path.size() > 3 && letter(path[0]) && path[1] == L':' && path[2] == L'\\') {
    start = 3;
  } else if (path.size() > 2 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'?' &&
             path[2] != L'.' && path[2] != L'\\') {
    const std::size_t server = path.find(L'\\', 2);
    const std::size_t share =
        server == std::wstring::npos ? std::wstring::npos : path.find(L'\\', server + 1);
    if (share == std::wstring::npos || share == server + 1) return Walk::kAskTheSystem;
    start = share + 1;
  } else {
    return Walk::kAskTheSystem;
  }
  std::vector<std::size_t> ends;  // of each component
  for (std::size_t from = start;;) {
    const std::size_t end = std::min(path.find(L'\\', from), path.size());
    if (!PlainComponent(std::wstring_view(path).substr(from, end - from))) {
      return Walk::kAskTheSystem;
    }
    ends.push_back(end);
    if (end == path.size()) break;
    from = end + 1;
  }
  // From the deepest folder on the way whose form this run knows.
  std::wstring form = path.substr(0, start);
  std::size_t next = 0;
  for (std::size_t j = ends.size(); j-- > 0;) {
    const auto known = shortForms_.find(path.substr(0, ends[j]));
    if (known != shortForms_.end()) {
      form = known->second;
      next = j + 1;
      break;
    }
  }
  for (std::size_t j = next; j < ends.size(); ++j) {
    const std::wstring prefix = path.substr(0, ends[j]);
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileW(prefix.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
      const DWORD error = ::GetLastError();
      if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
        return Walk::kAskTheSystem;
      }
      // Not in a folder that is there: missing, and known so without
      // asking again. Below the root alone, the root may be what is not
      // there, for WhyUnresolved to tell.
      if (j > 0) missing_.insert(path);
      return Walk::kNotThere;
    }
    ::FindClose(search);
    if (form.back() != L'\\') form += L'\\';
    form += found.cAlternateFileName[0] != L'\0' ? found.cAlternateFileName : found.cFileName;
    shortForms_.emplace(prefix, form);
    if (j + 1 == ends.size()) {
      attributes_[path] = found.dwFileAttributes;
      attributes_[form] = found.dwFileAttributes;
    }
  }
  shortPath = form;
  return Walk::kAnswered;
}

bool WindowsFileSystem::ShortPathName(std::string path, std::string& shortPath) {
  std::wstring wide;
  if (path.empty() || !Utf8ToWide(path, wide)) return false;
  std::wstring form;
  switch (WalkShortPath(wide, form)) {
    case Walk::kAnswered: {
      std::string answer;
      if (!WideToUtf8(form, answer)) return false;
      shortPath.swap(answer);
      return true;
    }
    case Walk::kNotThere:
      return false;
    case Walk::kAskTheSystem:
      break;
  }
  return AskForPath(path, shortPathBufferSize_, &::GetShortPathNameW, shortPath);
}

bool WindowsFileSystem::LongPathName(std::string path, std::string& longPath) {
  return AskForPath(path, shortPathBufferSize_, &::GetLongPathNameW, longPath);
}

bool WindowsFileSystem::IsDirectory(const std::string& path) {
  std::wstring wide;
  if (path.empty() || !Utf8ToWide(path, wide)) return false;
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::optional<DirectoryIdentity> WindowsFileSystem::Identity(const std::string& path) {
  const auto known = identities_.find(path);
  if (known != identities_.end()) return known->second;
  std::wstring wide;
  if (path.empty() || !Utf8ToWide(path, wide)) return std::nullopt;
  // Junctions on the way are followed.
  const HandleGuard handle = OpenForAttributes(wide);
  if (handle.get() == INVALID_HANDLE_VALUE) return std::nullopt;
  // The volume's 64-bit serial and the 128-bit file ID, in one question:
  // on ReFS (Dev Drive) the 64-bit file index is not unique, and two
  // folders would be judged one. FAT32 and exFAT, which have no such ID,
  // answer the classic way.
  DirectoryIdentity identity;
  FILE_ID_INFO id{};
  if (::GetFileInformationByHandleEx(handle.get(), FileIdInfo, &id, sizeof id)) {
    // Whether it is a directory: known from the look that found its short
    // form, unless that saw a link (whose target is what opened).
    const auto walked = attributes_.find(wide);
    bool directory = false;
    if (walked != attributes_.end() && (walked->second & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
      directory = (walked->second & FILE_ATTRIBUTE_DIRECTORY) != 0;
    } else {
      FILE_BASIC_INFO basic{};
      directory =
          ::GetFileInformationByHandleEx(handle.get(), FileBasicInfo, &basic, sizeof basic) != 0 &&
          (basic.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }
    if (!directory) return std::nullopt;
    identity.volume = id.VolumeSerialNumber;
    std::memcpy(&identity.file, id.FileId.Identifier, 8);
    std::memcpy(&identity.fileHigh, id.FileId.Identifier + 8, 8);
  } else {
    BY_HANDLE_FILE_INFORMATION information{};
    if (!::GetFileInformationByHandle(handle.get(), &information) ||
        (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      return std::nullopt;
    }
    identity.volume = information.dwVolumeSerialNumber;
    identity.file =
        (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
  }
  identities_.emplace(path, identity);
  return identity;
}

bool WindowsFileSystem::HasShortNameSiblings(const std::string& folder,
                                             const std::string& shortName) {
  const std::size_t tilde = shortName.find('~');
  std::wstring pattern;
  if (tilde == std::string::npos || !Utf8ToWide(folder, pattern)) return false;
  EndWithSeparator(pattern);
  std::wstring stem;
  std::wstring name;
  if (!Utf8ToWide(shortName.substr(0, tilde + 1), stem) || !Utf8ToWide(shortName, name)) {
    return false;
  }
  // The pattern matches short names as well as long ones.
  WIN32_FIND_DATAW found{};
  const HANDLE search = ::FindFirstFileW((pattern + stem + L"*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  bool sibling = false;
  do {
    const std::wstring other =
        found.cAlternateFileName[0] != L'\0' ? found.cAlternateFileName : found.cFileName;
    sibling = other.size() >= stem.size() &&
              ::CompareStringOrdinal(other.c_str(), static_cast<int>(stem.size()), stem.c_str(),
                                     static_cast<int>(stem.size()), TRUE) == CSTR_EQUAL &&
              ::CompareStringOrdinal(other.c_str(), -1, name.c_str(), -1, TRUE) != CSTR_EQUAL;
  } while (!sibling && ::FindNextFileW(search, &found));
  ::FindClose(search);
  return sibling;
}

bool WindowsFileSystem::FilesIn(const std::string& folder, std::vector<FolderFile>& files) {
  std::wstring pattern;
  if (folder.empty() || !Utf8ToWide(folder, pattern)) return false;
  EndWithSeparator(pattern);
  pattern += L'*';
  WIN32_FIND_DATAW found{};
  // The basic answer: no short names, which a search for a program does
  // not read.
  const HANDLE search =
      ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr,
                         FIND_FIRST_EX_LARGE_FETCH);
  if (search == INVALID_HANDLE_VALUE) return ::GetLastError() == ERROR_FILE_NOT_FOUND;
  std::vector<FolderFile> listed;
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
    FolderFile file;
    if (!WideToUtf8(found.cFileName, file.name)) continue;
    // For a reparse point, dwReserved0 holds its tag.
    constexpr DWORD kAppExecutionLink = 0x8000001B;  // IO_REPARSE_TAG_APPEXECLINK
    file.executionAlias = (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
                          found.dwReserved0 == kAppExecutionLink;
    listed.push_back(std::move(file));
  } while (::FindNextFileW(search, &found));
  const bool whole = ::GetLastError() == ERROR_NO_MORE_FILES;
  ::FindClose(search);
  if (whole) files.swap(listed);
  return whole;
}

std::optional<bool> WindowsFileSystem::MakesShortNames(const std::string& root) {
  std::wstring wideRoot;
  if (root.empty() || !Utf8ToWide(root, wideRoot)) return std::nullopt;
  EndWithSeparator(wideRoot);
  // The volume's own answer, where Windows has the call (Windows 11 24H2
  // and later; looked up, as older systems and Wine lack it).
  using AreEnabled = BOOL(WINAPI*)(HANDLE, BOOL*);
  static const auto areEnabled = reinterpret_cast<AreEnabled>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "AreShortNamesEnabled")));
  if (areEnabled != nullptr) {
    const HandleGuard handle = OpenForAttributes(wideRoot);
    BOOL enabled = FALSE;  // documented as a BOOLEAN: the rest stays zero
    if (handle.get() != INVALID_HANDLE_VALUE && areEnabled(handle.get(), &enabled)) {
      return enabled != FALSE;
    }
  }
  // ReFS, and so a Dev Drive, makes none, whatever the setting below says.
  wchar_t fileSystem[MAX_PATH + 1] = {};
  if (::GetVolumeInformationW(wideRoot.c_str(), nullptr, 0, nullptr, nullptr, nullptr, fileSystem,
                              MAX_PATH + 1) &&
      std::wcscmp(fileSystem, L"ReFS") == 0) {
    return false;
  }
  // The system's setting: 0 all volumes make short names, 1 none, 2 each
  // volume as it is set, 3 the system volume only.
  DWORD setting = 0;
  DWORD size = sizeof setting;
  if (::RegGetValueW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\FileSystem",
                     L"NtfsDisable8dot3NameCreation", RRF_RT_REG_DWORD, nullptr, &setting,
                     &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  if (setting == 0) return true;
  if (setting == 1) return false;
  if (setting == 3) {
    wchar_t windows[MAX_PATH];
    const UINT length = ::GetSystemWindowsDirectoryW(windows, MAX_PATH);
    std::string drive;
    if (length < 2 || !WideToUtf8(std::wstring_view(windows, 2), drive)) return std::nullopt;
    return root.size() >= 2 && (root[0] | 0x20) == (drive[0] | 0x20) && root[1] == ':';
  }
  // Each volume as it is set: its persistent state says.
  if (root.size() < 2 || root[1] != ':') return std::nullopt;
  std::wstring volume;
  if (!Utf8ToWide("\\\\.\\" + root.substr(0, 2), volume)) return std::nullopt;
  const HandleGuard handle(::CreateFileW(volume.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                         nullptr, OPEN_EXISTING, 0, nullptr));
  if (handle.get() == INVALID_HANDLE_VALUE) return std::nullopt;
  FILE_FS_PERSISTENT_VOLUME_INFORMATION asked{};
  asked.Version = 1;
  FILE_FS_PERSISTENT_VOLUME_INFORMATION state{};
  DWORD returned = 0;
  if (!::DeviceIoControl(handle.get(), FSCTL_QUERY_PERSISTENT_VOLUME_STATE, &asked, sizeof asked,
                         &state, sizeof state, &returned, nullptr)) {
    return std::nullopt;
  }
  return (state.VolumeFlags & PERSISTENT_VOLUME_STATE_SHORT_NAME_CREATION_DISABLED) == 0;
}

OrdinaryUserRights WindowsFileSystem::RightsOfOrdinaryUsers(const std::string& path) {
  std::wstring wide;
  if (path.empty() || !Utf8ToWide(path, wide)) return OrdinaryUserRights();
  // The folder or junction itself, not what a junction leads to.
  const HandleGuard handle(::CreateFileW(
      wide.c_str(), READ_CONTROL, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (handle.get() == INVALID_HANDLE_VALUE) return OrdinaryUserRights();
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (::GetSecurityInfo(handle.get(), SE_FILE_OBJECT,
                        OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, nullptr, nullptr,
                        nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
    return OrdinaryUserRights();
  }
  const OrdinaryUserRights rights = RightsInSecurityDescriptor(descriptor);
  ::LocalFree(descriptor);
  return rights;
}

Unresolved WindowsFileSystem::WhyUnresolved(const std::string& path) {
  if (path.empty()) return Unresolved::kMissing;
  std::wstring wide;
  // A name the system cannot be asked about is not known to be missing.
  if (!Utf8ToWide(path, wide)) return Unresolved::kUnreachable;
  if (missing_.count(wide) != 0) return Unresolved::kMissing;
  // It exists, yet has no short form for this user: a folder on the way
  // may be passed through but not listed.
  if (::GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES) {
    return Unresolved::kAccessDenied;
  }
  switch (::GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: {
      // Not there, the only answer that drops an entry; but only when the
      // drive or the share it is on answers.
      const std::size_t rootLength = PathRootLength(path, kWindowsConventions);
      std::wstring root;
      if (rootLength == 0 || !Utf8ToWide(path.substr(0, rootLength), root)) {
        return Unresolved::kUnreachable;
      }
      EndWithSeparator(root);
      if (::GetFileAttributesW(root.c_str()) != INVALID_FILE_ATTRIBUTES) {
        return Unresolved::kMissing;
      }
      return ::GetLastError() == ERROR_ACCESS_DENIED ? Unresolved::kAccessDenied
                                                     : Unresolved::kVolumeAbsent;
    }
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NET_NAME:
    case ERROR_BAD_NETPATH:
      return Unresolved::kVolumeAbsent;
    case ERROR_ACCESS_DENIED:
    case ERROR_LOGON_FAILURE:
    case ERROR_NETWORK_ACCESS_DENIED:
      return Unresolved::kAccessDenied;
    default:
      // A device not ready, a network that does not answer (an absent
      // server's share answers ERROR_BAD_DEV_TYPE under Wine), and every
      // code not named here: unknown, so kept.
      return Unresolved::kUnreachable;
  }
}

std::string WindowsFileSystem::AbsolutePath(std::string path) {
  std::string answer;
  const auto ask = [](const wchar_t* wide, wchar_t* buffer, DWORD size) {
    return ::GetFullPathNameW(wide, size, buffer, nullptr);
  };
  return AskForPath(path, MAX_PATH, ask, answer) ? answer : path;
}

void AskWindowsRoot(const std::string& root) {
  std::wstring wide;
  if (root.empty() || !Utf8ToWide(root, wide)) return;
  EndWithSeparator(wide);
  ::GetFileAttributesW(wide.c_str());
}

bool WindowsUtf16ToUtf8(const std::u16string& units, std::string& utf8) {
  // Zero units is a failure to Windows' converter, and so here.
  return !units.empty() &&
         WideToUtf8(std::wstring(units.begin(), units.end()), utf8, Unconvertible::kReplace);
}

std::string WindowsFileSystem::ReadJunctionTarget(std::string path) {
  std::wstring widePath;
  if (path.empty() || !Utf8ToWide(path, widePath)) {
    throw JunctionError(JunctionError::Kind::kUnableToOpen, path);
  }
  // The handle decides whether the open worked: a valid handle may come back
  // with a last-error value set, and it must be closed all the same. Reading
  // the reparse data needs no data access, only the attributes: a junction
  // that denies listing (as Windows' own compatibility junctions do) still
  // opens. The junction itself is opened, not what it points to.
  const HandleGuard handle =
      OpenForAttributes(widePath, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT);
  if (handle.get() == INVALID_HANDLE_VALUE) {
    throw JunctionError(JunctionError::Kind::kUnableToOpen, path);
  }

  std::vector<unsigned char> buffer(kReparseQueryBufferSize, 0);
  DWORD returned = 0;
  if (!::DeviceIoControl(handle.get(), FSCTL_GET_REPARSE_POINT, nullptr, 0, buffer.data(),
                         static_cast<DWORD>(buffer.size()), &returned, nullptr)) {
    if (::GetLastError() == ERROR_NOT_A_REPARSE_POINT) {
      throw JunctionError(JunctionError::Kind::kNotAReparsePoint);
    }
    throw JunctionError(JunctionError::Kind::kUnableToQuery);
  }
  return ParseMountPointTarget(buffer.data(), buffer.size(), returned, &WindowsUtf16ToUtf8);
}

}  // namespace pathshrink
