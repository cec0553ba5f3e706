#include "rewrite/lasting_names.h"

#include <map>
#include <set>
#include <utility>

#include "pathtext/path_parts.h"

namespace pathshrink {
namespace {

// A short name handed out in order: a '~' and digits after it.
bool IsNumberedShortName(std::string_view name) {
  const std::size_t tilde = name.find('~');
  if (tilde == std::string_view::npos || tilde + 1 >= name.size()) return false;
  for (std::size_t i = tilde + 1; i < name.size() && name[i] != '.'; ++i) {
    if (name[i] < '0' || name[i] > '9') return false;
  }
  return true;
}

// Calls `each(parent, shortName)` for every component of the written entry
// that is a short name in place of the given one.
template <typename Each>
void ForEachShortName(const WrittenEntry& written, const ResolvedEntry& entry,
                      const PathConventions& conventions, Each each) {
  if (!written.junction.empty() || entry.IsWrittenAsTyped() ||
      written.text.find('~') == std::string_view::npos) {
    return;
  }
  const std::string& given = entry.Given();
  const PathRoot root = ParseRoot(given, conventions);
  const std::vector<std::string_view> longParts =
      Components(std::string_view(given).substr(root.length), conventions);
  const std::vector<std::string_view> shortParts =
      Components(written.text.substr(ParseRoot(written.text, conventions).length), conventions);
  if (!root.anchored || longParts.size() != shortParts.size()) return;
  std::vector<std::string_view> folder;
  for (std::size_t i = 0; i < longParts.size(); ++i) {
    if (shortParts[i] != longParts[i]) each(Joined(root, folder, conventions), shortParts[i]);
    folder.push_back(longParts[i]);
  }
}

}  // namespace

std::vector<bool> FragileShortNames(const WrittenList& written,
                                    const std::vector<ResolvedEntry>& entries,
                                    FileSystemQueries& files, std::vector<UseWarning>& warnings) {
  const PathConventions conventions = files.Conventions();
  std::vector<bool> fragile(entries.size());
  std::map<std::pair<std::string, std::string>, bool> asked;
  for (const WrittenEntry& entry : written.entries) {
    std::string said;
    ForEachShortName(
        entry, entries[entry.resolvedIndex], conventions,
        [&](const std::string& folder, std::string_view name) {
          if (!said.empty() || !IsNumberedShortName(name)) return;
          const auto key = std::make_pair(folder, std::string(name));
          auto found = asked.find(key);
          if (found == asked.end()) {
            found = asked.emplace(key, files.HasShortNameSiblings(folder, key.second)).first;
          }
          if (found->second) {
            said = "short name '" + key.second + "' in '" + folder +
                   "' shares its stem with another: after a reinstall it may name "
                   "another folder";
          }
        });
    if (said.empty()) continue;
    fragile[entry.resolvedIndex] = true;
    warnings.push_back({"fragileShortName", said});
  }
  return fragile;
}

void VolumesWithoutShortNames(const WrittenList& written, const std::vector<ResolvedEntry>& entries,
                              FileSystemQueries& files, std::vector<UseWarning>& warnings) {
  const PathConventions conventions = files.Conventions();
  std::set<std::string> roots;
  for (const WrittenEntry& entry : written.entries) {
    ForEachShortName(entry, entries[entry.resolvedIndex], conventions,
                     [&](const std::string& folder, std::string_view) {
                       roots.insert(ParseRoot(folder, conventions).text);
                     });
  }
  for (const std::string& root : roots) {
    const std::optional<bool> makes = files.MakesShortNames(root);
    if (!makes || *makes) continue;
    warnings.push_back(
        {"noShortNames", "the volume '" + root +
                             "' makes no short names for folders made from now on: they will "
                             "have none, and a short name written here lasts only while its "
                             "folder keeps it"});
  }
}

}  // namespace pathshrink
