#include "junctions/planned_junctions.h"

#include "pathtext/path_parts.h"

namespace pathshrink {

const SuggestedJunction* PlannedJunctions::Find(const std::string& link) const {
  for (const SuggestedJunction& junction : planned_) {
    if (junction.link == link) return &junction;
  }
  return nullptr;
}

bool PlannedJunctions::ShortPathName(std::string path, std::string& shortPath) {
  const PathConventions conventions = Conventions();
  if (!plannedFolder_.empty() &&
      (path == plannedFolder_ || (path.size() == plannedFolder_.size() + 1 &&
                                  path.compare(0, plannedFolder_.size(), plannedFolder_) == 0 &&
                                  conventions.IsSeparator(path.back())))) {
    shortPath = path;  // named in 8.3 form already
    return true;
  }
  if (Find(path) == nullptr) return system_.ShortPathName(std::move(path), shortPath);
  // A link is named in 8.3 form already: its short form is its folder's
  // followed by its own name.
  const std::size_t slash = LastComponentStart(path, conventions);
  std::string folder = path.substr(0, slash);
  if (!ShortPathName(folder, folder)) return false;
  if (!folder.empty() && !conventions.IsSeparator(folder.back())) folder += conventions.Separator();
  shortPath = folder + path.substr(slash);
  return true;
}

std::string PlannedJunctions::ReadJunctionTarget(std::string path) {
  if (const SuggestedJunction* junction = Find(path)) return junction->target;
  return system_.ReadJunctionTarget(std::move(path));
}

}  // namespace pathshrink
