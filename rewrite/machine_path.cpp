#include "rewrite/machine_path.h"

#include <set>
#include <utility>

#include "pathtext/path_parts.h"

namespace pathshrink {

JunctionTable JunctionsForTheMachine(const JunctionTable& junctions, OrdinaryUserReach& reach,
                                     std::ostream& err) {
  JunctionTable kept;
  for (const JunctionEntry& junction : junctions) {
    const std::string folder = reach.ChangeableOnTheWay(junction.shortJunction, false, true);
    if (folder.empty()) {
      kept.push_back(junction);
      continue;
    }
    err << "[junction '" + junction.shortJunction +
               "' not used for the machine's Path: users other than administrators can change '" +
               folder + "']\n";
  }
  return kept;
}

void ShortNamesForTheMachine(WrittenList& written, const std::vector<ResolvedEntry>& entries,
                             OrdinaryUserReach& reach, const PathConventions& conventions,
                             std::ostream& err) {
  std::set<std::pair<std::string, std::string>> said;  // (short name, folder)
  for (WrittenEntry& entry : written.entries) {
    const ResolvedEntry& resolved = entries[entry.resolvedIndex];
    if (!entry.junction.empty() || resolved.IsWrittenAsTyped() || entry.text == resolved.Given()) {
      continue;
    }
    const std::string& given = resolved.Given();
    const PathRoot root = ParseRoot(given, conventions);
    const PathRoot writtenRoot = ParseRoot(entry.text, conventions);
    const std::vector<std::string_view> longParts =
        Components(std::string_view(given).substr(root.length), conventions);
    const std::vector<std::string_view> shortParts =
        Components(entry.text.substr(writtenRoot.length), conventions);
    if (!root.anchored || longParts.size() != shortParts.size()) continue;
    std::vector<std::string_view> parts;
    std::vector<std::string_view> folder;
    bool changed = false;
    for (std::size_t i = 0; i < longParts.size(); ++i) {
      const std::string parent = Joined(root, folder, conventions);
      if (shortParts[i] != longParts[i] && reach.MayMakeFoldersIn(parent)) {
        parts.push_back(longParts[i]);
        changed = true;
        if (said.emplace(std::string(shortParts[i]), parent).second) {
          err << "[short name '" + std::string(shortParts[i]) +
                     "' not used for the machine's Path: users other than administrators can"
                     " make folders in '" +
                     parent + "']\n";
        }
      } else {
        parts.push_back(shortParts[i]);
      }
      folder.push_back(longParts[i]);
    }
    if (changed) entry.text = written.texts.Add(Joined(writtenRoot, parts, conventions));
  }
}

std::vector<std::string> EntriesUsersCanChange(const std::vector<ResolvedEntry>& entries,
                                               OrdinaryUserReach& reach, std::ostream& err) {
  std::vector<std::string> folders(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].IsWrittenAsTyped()) continue;
    folders[i] = reach.ChangeableOnTheWay(entries[i].Given(), true, false);
    if (folders[i].empty()) continue;
    err << "[entry '" + entries[i].Given() + "' lies in '" + folders[i] +
               "', which users other than administrators can change: a program put there runs"
               " for every user; kept]\n";
  }
  return folders;
}

std::string NewFolderForLinks(const std::string& systemDrive, FileSystemQueries& files) {
  const std::string root = (systemDrive.empty() ? std::string("C:") : systemDrive) + "\\";
  for (int n = 1; n <= kMostFoldersForLinks; ++n) {
    std::string folder = root + "l" + (n == 1 ? "" : std::to_string(n));
    std::string shortForm;
    if (files.ShortPathName(folder, shortForm)) continue;  // taken
    // A drive that is not there, or does not answer, answers every name
    // alike: none of them will do.
    if (files.WhyUnresolved(folder) != Unresolved::kMissing) return std::string();
    return folder;
  }
  return std::string();
}

}  // namespace pathshrink
