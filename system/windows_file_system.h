#pragma once

#include <map>
#include <set>
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
  enum class Walk { kAnswered, kNotThere, kAskTheSystem };
  // The short form of `path` a component at a time, each from a look at its
  // parent folder, with the forms of the folders above held for the next
  // entry below them; kAskTheSystem where the path is not a plain one.
  Walk WalkShortPath(const std::wstring& path, std::wstring& shortPath);

  unsigned long shortPathBufferSize_;
  // What this run has learnt, by the exact text asked (a run is short, and
  // a list repeats itself: entries share parents, and some come twice).
  std::map<std::wstring, std::wstring> shortForms_;   // a folder's, and each above it
  std::map<std::wstring, unsigned long> attributes_;  // a walked path's last component
  std::map<std::string, DirectoryIdentity> identities_;
  std::set<std::wstring> missing_;  // not in a folder that is there
};

// Asks the drive or share `root` for its attributes: a RootProbe, which
// returns once the volume has answered (whatever it answered).
void AskWindowsRoot(const std::string& root);

// UTF-16 to UTF-8 through WideCharToMultiByte, sized by asking it first.
bool WindowsUtf16ToUtf8(const std::u16string& units, std::string& utf8);

}  // namespace pathshrink
