#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "compact/compact_path_list.h"

namespace pathshrink {

// The folders a resolved list names, by key and by the directory each
// opens to. A new window searches the machine's Path before the user's:
// a user entry for one of its folders is never reached.
//
// Only judged entries count on either side: one kept as typed, or one
// that follows a variable (which may lead elsewhere tomorrow), names no
// folder for good.
class ListedFolders {
 public:
  ListedFolders() = default;
  explicit ListedFolders(const ResolvedList& list);

  // The entry (as given) that names the folder of the resolved entry
  // `entry`, which opens to `identity` (none: it could not be opened);
  // nullptr where none does.
  const std::string* Find(const ResolvedEntry& entry, const DirectoryIdentity* identity) const;

 private:
  std::map<std::string, std::size_t> byKey_;
  std::map<DirectoryIdentity, std::size_t> byIdentity_;
  std::vector<std::string> given_;
};

// By resolved entry of `list`: the entry of `listed` that names its
// folder, else empty.
std::vector<std::string> EntriesListedBefore(const ResolvedList& list, const ListedFolders& listed);

}  // namespace pathshrink
