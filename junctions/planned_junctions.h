#pragma once

#include <string>
#include <utility>
#include <vector>

#include "compact/junction_suggestions.h"
#include "system/file_system_queries.h"

namespace pathshrink {

// The file system as it will be once the proposed junctions are made: each
// link exists and points to its target; everything else is asked of the
// system. Registering the proposals through it shows what the tool will make
// of them later, by the very code that will then run.
class PlannedJunctions : public FileSystemQueries {
 public:
  // `plannedFolder`, where not empty, is a folder for the links that will
  // be made first, with rights for administrators and SYSTEM alone.
  PlannedJunctions(FileSystemQueries& system, const std::vector<SuggestedJunction>& planned,
                   std::string plannedFolder = {})
      : system_(system), planned_(planned), plannedFolder_(std::move(plannedFolder)) {}

  bool ShortPathName(std::string path, std::string& shortPath) override;
  bool LongPathName(std::string path, std::string& longPath) override {
    return system_.LongPathName(std::move(path), longPath);
  }
  Unresolved WhyUnresolved(const std::string& path) override { return system_.WhyUnresolved(path); }
  bool IsDirectory(const std::string& path) override {
    return path == plannedFolder_ || system_.IsDirectory(path);
  }
  // As the system answers now: a path through a link not made yet opens
  // to nothing.
  std::optional<DirectoryIdentity> Identity(const std::string& path) override {
    return system_.Identity(path);
  }
  bool HasShortNameSiblings(const std::string& folder, const std::string& shortName) override {
    return system_.HasShortNameSiblings(folder, shortName);
  }
  std::optional<bool> MakesShortNames(const std::string& root) override {
    return system_.MakesShortNames(root);
  }
  OrdinaryUserRights RightsOfOrdinaryUsers(const std::string& path) override {
    if (!plannedFolder_.empty() && path == plannedFolder_) return {true};
    return system_.RightsOfOrdinaryUsers(path);
  }
  std::string ReadJunctionTarget(std::string path) override;
  bool FilesIn(const std::string& folder, std::vector<FolderFile>& files) override {
    return system_.FilesIn(folder, files);
  }
  std::string AbsolutePath(std::string path) override { return system_.AbsolutePath(path); }
  PathConventions Conventions() const override { return system_.Conventions(); }

 private:
  const SuggestedJunction* Find(const std::string& link) const;

  FileSystemQueries& system_;
  const std::vector<SuggestedJunction>& planned_;
  std::string plannedFolder_;
};

}  // namespace pathshrink
