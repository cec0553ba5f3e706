#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "pathtext/path_conventions.h"

namespace pathshrink {

// Why a path has no short form, as far as the system can tell.
enum class Unresolved {
  kMissing,       // it does not exist, and the drive or share it is on does
  kVolumeAbsent,  // its drive or share is not there (a removed disk, a mapping)
  kAccessDenied,  // a folder on the way may not be listed by this user
  kUnreachable,   // the system could not check (a device not ready, the network)
  kNotAnswering,  // its drive or share did not answer in time (AnsweringRoots)
};

// What users other than administrators, SYSTEM and TrustedInstaller may do
// to a folder (or a junction), as its security descriptor grants it to any
// other account or group (what they inherit included), or lets its owner,
// where the owner is one of them, give them.
struct OrdinaryUserRights {
  bool known = false;           // false: the system could not tell
  bool addFiles = false;        // put a file (a program) in it
  bool addFolders = false;      // make a folder in it (one named like a short name)
  bool deleteChildren = false;  // delete or rename what is in it
  bool replaceItself = false;   // delete it, or change who may do what to it
};

// The directory a path opens to, whatever its spelling: a volume and a file
// number on it (the volume's serial number and the 128-bit file ID on
// Windows, st_dev and st_ino on POSIX). Two paths with one identity name
// one directory: a junction and its target, a subst drive and its folder.
struct DirectoryIdentity {
  std::uint64_t volume = 0;
  std::uint64_t file = 0;      // the file number, or the low half of a 128-bit ID
  std::uint64_t fileHigh = 0;  // the high half of a 128-bit ID (ReFS); else 0
  bool operator==(const DirectoryIdentity& other) const {
    return volume == other.volume && file == other.file && fileHigh == other.fileHigh;
  }
  bool operator!=(const DirectoryIdentity& other) const { return !(*this == other); }
  bool operator<(const DirectoryIdentity& other) const {
    if (volume != other.volume) return volume < other.volume;
    if (fileHigh != other.fileHigh) return fileHigh < other.fileHigh;
    return file < other.file;
  }
};

// A file in a folder, as a search for a program sees it.
struct FolderFile {
  std::string name;
  bool executable = true;  // POSIX: it may be run (an execute bit); on Windows any file may
  // An App execution alias: an empty file that is a reparse point of tag
  // IO_REPARSE_TAG_APPEXECLINK, which starts a Store app (the Store's
  // python.exe in WindowsApps).
  bool executionAlias = false;
};

// The questions the tool asks of the file system. Abstract so that the
// compactor and the driver can run against an in-memory volume in tests; the
// platform's realisation is chosen in main.
class FileSystemQueries {
 public:
  virtual ~FileSystemQueries() = default;

  // Replaces `shortPath` by the short (8.3) form of `path` and returns true,
  // or returns false and leaves `shortPath` untouched.
  virtual bool ShortPathName(std::string path, std::string& shortPath) = 0;

  // Replaces `longPath` by `path` with each component in its long name, as
  // a person knows the folder, and returns true; or returns false and
  // leaves `longPath` untouched.
  virtual bool LongPathName(std::string path, std::string& longPath) = 0;

  // Asked only after ShortPathName failed for `path`: whether it is known
  // not to exist, or could not be checked. Only a clear "not there" may
  // answer kMissing: the compactor drops such an entry.
  virtual Unresolved WhyUnresolved(const std::string& path) = 0;

  // Whether `path` names a directory (not a file), following junctions.
  virtual bool IsDirectory(const std::string& path) = 0;

  // The directory `path` opens to, following junctions and links; nothing
  // where it names no directory or cannot be opened (access denied on the
  // way, a share that does not answer).
  virtual std::optional<DirectoryIdentity> Identity(const std::string& path) = 0;

  // What ordinary users may do to the folder or junction `path` itself
  // (a junction is asked about, not followed).
  virtual OrdinaryUserRights RightsOfOrdinaryUsers(const std::string& path) = 0;

  // Whether another entry of `folder` has a short name of the same stem as
  // `shortName` (MICROS~2 beside MICROS~1): such names are handed out in
  // the order folders are made, and a reinstall may swap them.
  virtual bool HasShortNameSiblings(const std::string& folder, const std::string& shortName) = 0;

  // Whether the volume whose root is `root` makes short names for folders
  // made from now on; nothing where the system cannot tell.
  virtual std::optional<bool> MakesShortNames(const std::string& root) = 0;

  // Returns the directory that the junction `path` points to; throws
  // std::runtime_error with one of the fixed texts in junction_errors.h.
  virtual std::string ReadJunctionTarget(std::string path) = 0;

  // Replaces `files` by the files (not folders) of `folder`, following
  // junctions and links to it and to each file, and returns true; returns
  // false where it cannot be listed. Asked only by --shadows.
  virtual bool FilesIn(const std::string& folder, std::vector<FolderFile>& files) = 0;

  // `path` made absolute against the current folder (as the system would
  // resolve it when opening it); `path` itself where it cannot be.
  virtual std::string AbsolutePath(std::string path) = 0;

  virtual PathConventions Conventions() const = 0;
};

}  // namespace pathshrink
