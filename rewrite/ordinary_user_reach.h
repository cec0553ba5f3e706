#pragma once

#include <map>
#include <string>

#include "system/file_system_queries.h"

namespace pathshrink {

// Where users other than administrators and SYSTEM can reach into a path
// that every process on the machine searches: a program they plant there
// runs for an administrator or a service. Each folder is asked once.
class OrdinaryUserReach {
 public:
  explicit OrdinaryUserReach(FileSystemQueries& files) : files_(files) {}

  // The first folder on the way to `path` (its root, each folder below it,
  // `path` itself) through which they could change what `path` names: one
  // in which they may delete or rename what is in it, one they may delete
  // or give other permissions, or, with `orAddFiles`, `path` itself where
  // they may put files in it. Empty where there is none; a folder the
  // system cannot tell about counts as one when `unknownCounts`.
  std::string ChangeableOnTheWay(const std::string& path, bool orAddFiles, bool unknownCounts);

  // Whether they may make a folder in `folder` (one named like a short name
  // that the volume no longer has): also where the system cannot tell.
  bool MayMakeFoldersIn(const std::string& folder);

 private:
  const OrdinaryUserRights& Rights(const std::string& folder);

  FileSystemQueries& files_;
  std::map<std::string, OrdinaryUserRights> asked_;
};

}  // namespace pathshrink
