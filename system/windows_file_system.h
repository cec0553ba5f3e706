#pragma once

#include <map>
#include <string>

#include "system/file_system_queries.h"

namespace pathshrink {

// The real thing: kernel32's answers about an NTFS volume. Paths cross into
// the system as UTF-16 through the wide calls and come back as UTF-8.
class WindowsFileSystem : public FileSystemQueries {
 public:
  // The classic path limit, in UTF-16 units: most short forms fit, and only
  // longer ones cost a second call. Tests pass a smaller size to exercise that second call.
  static constexpr unsigned long kShortPathBufferSize = 260;
  explicit WindowsFileSystem(unsigned long shortPathBufferSize = kShortPathBufferSize)
      : shortPathBufferSize_(shortPathBufferSize) {}

  bool ShortPathName(std::string path, std::string& shortPath) override;
  bool LongPathName(std::string path, std::string& longPath) override;
  Unresolved WhyUnresolved(const std::string& path) override;
  bool IsDirectory(const std::string& path) override;
  std::optional<DirectoryIdentity> Identity(const std::string& path) override;
  OrdinaryUserRights RightsOfOrdinaryUsers(const std::string& path) override;
  bool HasShortNameSiblings(const std::string& folder, const std::string& shortName) override;
  std::optional<bool> MakesShortNames(const std::string& root) override;
  std::string ReadJunctionTarget(std::string path) override;
  bool FilesIn(const std::string& folder, std::vector<FolderFile>& files) override;
  std::string AbsolutePath(std::string path) override;
  PathConventions Conventions() const override { return kWindowsConventions; }

 private:
  unsigned long shortPathBufferSize_;
  // By volume serial number: whether its file system is ReFS, whose 64-bit
  // file index is not unique (asked once a volume).
  std::map<unsigned long, bool> refs_;
};

// UTF-16 to UTF-8 through WideCharToMultiByte, sized by asking it first.
bool WindowsUtf16ToUtf8(const std::u16string& units, std::string& utf8);

}  // namespace pathshrink
