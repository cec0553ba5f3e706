#include "rewrite/ordinary_user_reach.h"

#include <vector>

#include "pathtext/path_parts.h"

namespace pathshrink {

const OrdinaryUserRights& OrdinaryUserReach::Rights(const std::string& folder) {
  const auto found = asked_.find(folder);
  if (found != asked_.end()) return found->second;
  return asked_.emplace(folder, files_.RightsOfOrdinaryUsers(folder)).first->second;
}

std::string OrdinaryUserReach::ChangeableOnTheWay(const std::string& path, bool orAddFiles,
                                                  bool unknownCounts) {
  const PathConventions conventions = files_.Conventions();
  const PathRoot root = ParseRoot(path, conventions);
  if (!root.anchored) return std::string();
  std::vector<std::string_view> parts;
  std::string folder = root.text;
  const std::vector<std::string_view> components =
      Components(std::string_view(path).substr(root.length), conventions);
  for (std::size_t i = 0; i <= components.size(); ++i) {
    if (i > 0) {
      if (components[i - 1].empty()) continue;
      parts.push_back(components[i - 1]);
      folder = Joined(root, parts, conventions);
    }
    const OrdinaryUserRights& rights = Rights(folder);
    if (!rights.known) {
      if (unknownCounts) return folder;
      continue;
    }
    const bool last = i == components.size();
    if (rights.deleteChildren || (i > 0 && rights.replaceItself) ||
        (last && orAddFiles && (rights.addFiles || rights.addFolders))) {
      return folder;
    }
  }
  return std::string();
}

bool OrdinaryUserReach::MayMakeFoldersIn(const std::string& folder) {
  const OrdinaryUserRights& rights = Rights(folder);
  return !rights.known || rights.addFolders;
}

}  // namespace pathshrink
