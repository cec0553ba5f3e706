#pragma once

#include <string>
#include <string_view>

#include "system/file_system_queries.h"

namespace pathshrink {

// The stand-in for Windows on POSIX systems. Paths have no short form here,
// so an existing path is its own short form; a symbolic link stands in for a
// junction.
class PosixFileSystem : public FileSystemQueries {
 public:
  bool ShortPathName(std::string path, std::string& shortPath) override;
  // An existing path is its own long form, as it is its own short one.
  bool LongPathName(std::string path, std::string& longPath) override {
    return ShortPathName(std::move(path), longPath);
  }
  Unresolved WhyUnresolved(const std::string& path) override;
  bool IsDirectory(const std::string& path) override;
  std::optional<DirectoryIdentity> Identity(const std::string& path) override;
  OrdinaryUserRights RightsOfOrdinaryUsers(const std::string& path) override;
  bool HasShortNameSiblings(const std::string& folder, const std::string& shortName) override;
  std::optional<bool> MakesShortNames(const std::string& root) override;
  std::string ReadJunctionTarget(std::string path) override;
  bool FilesIn(const std::string& folder, std::vector<FolderFile>& files) override;
  std::string AbsolutePath(std::string path) override;
  PathConventions Conventions() const override { return kPosixConventions; }

 private:
  // Why the last path asked for failed, so that asking why costs no second
  // look at the disk.
  std::string lastFailed_;
  int lastError_ = 0;
  // The answer last given (a view of the caller's string, compared only
  // when asked of that very string), and the directory it names.
  std::string_view lastFound_;
  std::optional<DirectoryIdentity> lastIdentity_;
};

}  // namespace pathshrink
