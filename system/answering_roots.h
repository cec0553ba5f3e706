#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "system/file_system_queries.h"

namespace pathshrink {

// Asks the root `root` (a drive such as "C:\", or "\\server\share")
// something only an answering volume can answer, and returns when it has.
// It must hold everything it needs itself: it may still be waiting when
// the run is over.
using RootProbe = std::function<void(const std::string& root)>;

// The file system with each root asked once, on a worker, before anything
// below it: a mapped drive or a share whose server is gone makes every
// question wait (about a minute each on Windows), and a list of ten such
// entries would look like a hang. A root that has not answered within the
// bound is not asked again: everything below it is answered at once as
// not answering (no short form, no identity, Unresolved::kNotAnswering),
// and the worker is left behind.
class AnsweringRoots : public FileSystemQueries {
 public:
  static constexpr std::chrono::milliseconds kDefaultBound{2000};

  // No probe, or a bound of zero: every question goes straight to `files`.
  AnsweringRoots(FileSystemQueries& files, RootProbe probe,
                 std::chrono::milliseconds bound = kDefaultBound)
      : files_(files), probe_(std::move(probe)), bound_(bound) {}

  void SetBound(std::chrono::milliseconds bound) { bound_ = bound; }

  // Whether the root of `path` answered (a path with no root does).
  bool Answers(const std::string& path);

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
  std::string AbsolutePath(std::string path) override { return files_.AbsolutePath(path); }
  PathConventions Conventions() const override { return files_.Conventions(); }

 private:
  FileSystemQueries& files_;
  RootProbe probe_;
  std::chrono::milliseconds bound_;
  std::map<std::string, bool> answered_;  // by root, case folded
};

}  // namespace pathshrink
