#include "system/posix_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "system/junction_errors.h"

namespace pathshrink {
namespace {

// The current folder, or nothing when it cannot be told (it was removed).
std::string CurrentFolder() {
  std::string cwd(256, '\0');
  while (::getcwd(cwd.data(), cwd.size()) == nullptr) {
    if (errno != ERANGE) return std::string();
    cwd.resize(cwd.size() * 2);
  }
  cwd.resize(cwd.find('\0'));
  return cwd;
}

// The directory, ending in '/', that holds `path`.
std::string DirectoryOf(const std::string& path) {
  const std::string::size_type slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

bool PosixFileSystem::ShortPathName(std::string path, std::string& shortPath) {
  struct stat info {};
  // stat follows links, so a dangling link does not resolve, just as a
  // junction to a deleted directory does not on Windows.
  if (path.empty()) return false;
  if (::stat(path.c_str(), &info) != 0) {
    lastError_ = errno;
    lastFailed_.swap(path);
    return false;
  }
  lastIdentity_ = S_ISDIR(info.st_mode) ? std::optional<DirectoryIdentity>(DirectoryIdentity{
                                              static_cast<std::uint64_t>(info.st_dev),
                                              static_cast<std::uint64_t>(info.st_ino), 0})
                                        : std::nullopt;
  shortPath.swap(path);
  lastFound_ = shortPath;
  return true;
}

std::optional<DirectoryIdentity> PosixFileSystem::Identity(const std::string& path) {
  // Asked of the very answer ShortPathName just gave, as resolving asks:
  // the stat made then answers. (Only that string's own bytes are read.)
  if (!path.empty() && path.data() == lastFound_.data() && path.size() == lastFound_.size() &&
      std::memcmp(path.data(), lastFound_.data(), path.size()) == 0) {
    return lastIdentity_;
  }
  struct stat info {};
  if (path.empty() || ::stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
    return std::nullopt;
  }
  return DirectoryIdentity{static_cast<std::uint64_t>(info.st_dev),
                           static_cast<std::uint64_t>(info.st_ino), 0};
}

bool PosixFileSystem::FilesIn(const std::string& folder, std::vector<FolderFile>& files) {
  DIR* const directory = folder.empty() ? nullptr : ::opendir(folder.c_str());
  if (directory == nullptr) return false;
  std::vector<FolderFile> listed;
  while (const dirent* entry = ::readdir(directory)) {
    struct stat info {};
    // Followed, as a search for a program follows links.
    if (::fstatat(::dirfd(directory), entry->d_name, &info, 0) != 0 || !S_ISREG(info.st_mode)) {
      continue;
    }
    FolderFile file;
    file.name = entry->d_name;
    // Whether this user may run it, as exec will judge.
    file.executable = ::faccessat(::dirfd(directory), entry->d_name, X_OK, 0) == 0;
    listed.push_back(std::move(file));
  }
  ::closedir(directory);
  files.swap(listed);
  return true;
}

bool PosixFileSystem::IsDirectory(const std::string& path) {
  struct stat info {};
  return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// POSIX names have no short forms.
bool PosixFileSystem::HasShortNameSiblings(const std::string&, const std::string&) { return false; }
std::optional<bool> PosixFileSystem::MakesShortNames(const std::string&) { return false; }

OrdinaryUserRights PosixFileSystem::RightsOfOrdinaryUsers(const std::string& path) {
  struct stat info {};
  OrdinaryUserRights rights;
  if (path.empty() || ::lstat(path.c_str(), &info) != 0) return rights;
  rights.known = true;
  // Written by others than its owner, or owned by someone other than root
  // (who may change its mode at will).
  const bool writable = (info.st_mode & (S_IWGRP | S_IWOTH)) != 0 || info.st_uid != 0;
  rights.addFiles = rights.addFolders = writable;
  rights.deleteChildren = writable && ((info.st_mode & S_ISVTX) == 0 || info.st_uid != 0);
  rights.replaceItself = info.st_uid != 0;
  return rights;
}

Unresolved PosixFileSystem::WhyUnresolved(const std::string& path) {
  int error = lastError_;
  if (path != lastFailed_) {
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) == 0) return Unresolved::kMissing;
    error = errno;
  }
  switch (error) {
    case ENOENT:
    case ENOTDIR:
    case ENAMETOOLONG:              // longer than any path a program can open here
      return Unresolved::kMissing;  // not there: the only answers that drop an entry
    case EACCES:
      return Unresolved::kAccessDenied;
    default:
      return Unresolved::kUnreachable;  // a device, the network, a loop of links: unknown, kept
  }
}

std::string PosixFileSystem::AbsolutePath(std::string path) {
  if (path.empty() || path.front() == '/') return path;
  std::string cwd = CurrentFolder();
  if (cwd.empty()) return path;
  if (cwd.back() != '/') cwd += '/';
  return cwd + path;
}

std::string PosixFileSystem::ReadJunctionTarget(std::string path) {
  // readlink alone tells all three cases apart (it is asked once per -j, so
  // a separate lstat would be a system call more for nothing): EINVAL for an
  // existing file that is not a link, any other error for a path that cannot
  // be reached.
  std::vector<char> buffer(256);
  for (;;) {
    const ssize_t length = ::readlink(path.c_str(), buffer.data(), buffer.size());
    if (length < 0) {
      if (errno == EINVAL) throw JunctionError(JunctionError::Kind::kNotAReparsePoint);
      throw JunctionError(JunctionError::Kind::kUnableToOpen, path);
    }
    if (static_cast<std::size_t>(length) < buffer.size()) {
      std::string target(buffer.data(), static_cast<std::size_t>(length));
      if (!target.empty() && target.front() == '/') return target;
      // A junction's target is always absolute; a relative link counts from
      // the directory that holds the link.
      const std::string directory = DirectoryOf(AbsolutePath(path));
      if (directory.empty()) throw JunctionError(JunctionError::Kind::kUnableToQuery);
      return directory + target;
    }
    buffer.resize(buffer.size() * 2);  // may have been cut: ask again
  }
}

}  // namespace pathshrink
