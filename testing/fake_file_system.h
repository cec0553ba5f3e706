#pragma once

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "system/answering_roots.h"
#include "system/file_system_queries.h"
#include "system/junction_errors.h"

namespace pathshrink {

// An in-memory volume that answers like Windows: paths are looked up without
// regard to case, a long component is answered with its short name, a
// component given in its short form keeps the case it was given in, and
// separators (either slash, a trailing one too) are kept as given, and so
// is a "\\?\" in front. Unknown paths fail. Tests of the compactor and the driver run against it.
class FakeFileSystem : public FileSystemQueries {
 public:
  FakeFileSystem();
  ~FakeFileSystem() override;

  // Adds a directory and its ancestors. Both paths name the same directory
  // component by component, e.g. "C:\\Program Files\\Tools" and
  // "C:\\PROGRA~1\\TOOLS"; the first component is the drive.
  void AddDirectory(const std::string& longPath, const std::string& shortPath);

  // Makes the existing directory `path` a junction to `target` (any text;
  // it need not exist, as for a dangling junction).
  void AddJunction(const std::string& path, const std::string& target);

  // Makes ReadJunctionTarget(path) raise JunctionError(kind), as the real
  // readers do.
  void AddUnreadableJunction(const std::string& path, JunctionError::Kind kind);

  // Whether the volume of `root` makes short names (nothing said: unknown).
  void SetMakesShortNames(const std::string& root, bool makes) { makesShortNames_[root] = makes; }

  // What ordinary users may do to `path` (nothing, where not said).
  void SetRightsOfOrdinaryUsers(const std::string& path, OrdinaryUserRights rights);

  // Makes every path at or below `path` fail to resolve for `reason`
  // (access denied, unreachable) rather than as missing.
  void AddUncheckable(const std::string& path, Unresolved reason);

  // Makes the root `root` ("C:\\", "\\\\server\\share", as the path's root
  // is written) not answer: Probe() waits on it until this volume is gone.
  void HangOnRoot(const std::string& root);

  // Asks a root of this volume whether it answers: at once, but for one
  // that hangs. It holds what it needs itself, and may outlive the volume.
  RootProbe Probe() const;

  // Puts `file` in the existing directory `folder` (its own, not through a
  // junction).
  void AddFile(const std::string& folder, FolderFile file);

  bool ShortPathName(std::string path, std::string& shortPath) override;
  // Each component in its long name, as it was added.
  bool LongPathName(std::string path, std::string& longPath) override;
  // Missing where the drive (the first component) exists; else the drive
  // is absent. Paths made uncheckable answer their reason.
  Unresolved WhyUnresolved(const std::string& path) override;
  bool IsDirectory(const std::string& path) override;
  // A number of its own for each directory, junctions followed: the one
  // DirectoryNamed gives with every readable junction followed.
  std::optional<DirectoryIdentity> Identity(const std::string& path) override;
  OrdinaryUserRights RightsOfOrdinaryUsers(const std::string& path) override;
  bool HasShortNameSiblings(const std::string& folder, const std::string& shortName) override;
  std::optional<bool> MakesShortNames(const std::string& root) override;
  std::string ReadJunctionTarget(std::string path) override;
  std::string AbsolutePath(std::string path) override;
  // The files put in the directory `folder` opens to, every readable
  // junction followed, in the order they were put there.
  bool FilesIn(const std::string& folder, std::vector<FolderFile>& files) override;
  PathConventions Conventions() const override { return kWindowsConventions; }

  // The folder that relative paths count from in AbsolutePath (the root of
  // C: at first); the volume itself resolves only absolute paths.
  void SetCurrentFolder(std::string folder) { currentFolder_ = std::move(folder); }

  int shortNameQueries() const { return shortNameQueries_; }

  // The directory `path` names, as this volume knows it: "." and ".." taken
  // by text, and the junctions among `follow` (identities, as this answers
  // them) followed; any other junction is a directory of its own. An
  // identity to compare, not a path; nothing when `path` names no directory
  // here.
  std::optional<std::string> DirectoryNamed(const std::string& path,
                                            const std::set<std::string>& follow = {}) const;

 private:
  struct Node;
  // The canonical key of an existing path (its long form, lower-cased, with
  // '\\' separators and no trailing one), and its short form as answered.
  struct Resolved {
    std::string key;
    std::string shortForm;
    std::string longForm;
  };
  std::optional<Resolved> Resolve(const std::string& path) const;
  std::optional<Unresolved> UncheckableReason(const std::string& path) const;
  std::set<std::string> ReadableJunctions() const;

  std::unique_ptr<Node> root_;
  struct Hang;
  std::shared_ptr<Hang> hang_;
  struct JunctionAnswer {
    std::optional<JunctionError::Kind> failure;  // what reading it raises, if it fails
    std::string target;
  };
  std::map<std::string, JunctionAnswer> junctions_;
  std::map<std::string, Unresolved> uncheckable_;  // by folded path, '\\' separators
  std::map<std::string, OrdinaryUserRights> rights_;
  std::map<std::string, bool>
      makesShortNames_;  // by root as given  // by folded path, '\\' separators
  int shortNameQueries_ = 0;
  std::map<std::string, std::uint64_t> identities_;       // by DirectoryNamed's answer
  std::map<std::string, std::vector<FolderFile>> files_;  // by DirectoryNamed's answer
  std::string currentFolder_ = "C:";
};

}  // namespace pathshrink
