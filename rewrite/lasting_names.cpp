#include "rewrite/lasting_names.h"

#include <map>
#include <set>
#include <utility>

#include "pathtext/path_parts.h"
#include "pathtext/path_spelling.h"

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

std::vector<std::string> VolumesWithoutShortNames(const WrittenList& written,
                                                  const std::vector<ResolvedEntry>& entries,
                                                  FileSystemQueries& files,
                                                  std::vector<UseWarning>& warnings) {
  const PathConventions conventions = files.Conventions();
  std::vector<std::string> withoutShortName(entries.size());
  // By volume: whether entries use short names on it, and the entries
  // written as given because a folder on their way has none (with that
  // folder).
  struct OnVolume {
    bool usesShortNames = false;
    std::vector<std::pair<std::size_t, std::string>> stayLong;
  };
  std::map<std::string, OnVolume> volumes;
  for (const WrittenEntry& entry : written.entries) {
    const ResolvedEntry& resolved = entries[entry.resolvedIndex];
    ForEachShortName(entry, resolved, conventions,
                     [&](const std::string& folder, std::string_view) {
                       volumes[ParseRoot(folder, conventions).text].usesShortNames = true;
                     });
    if (!entry.junction.empty() || resolved.IsWrittenAsTyped() || entry.text != resolved.Given()) {
      continue;
    }
    // The system answered a name that needs a short name with the name
    // itself: its folder has none.
    const std::string& answer = resolved.ShortForm();
    const PathRoot root = ParseRoot(answer, conventions);
    if (!root.anchored) continue;
    std::size_t start = root.length;
    for (const std::size_t end : ComponentEnds(answer, root.length, conventions)) {
      while (start < end && conventions.IsSeparator(answer[start])) ++start;
      if (start < end && NeedsShortName(std::string_view(answer).substr(start, end - start))) {
        volumes[root.text].stayLong.emplace_back(entry.resolvedIndex, answer.substr(0, end));
        break;
      }
      start = end + 1;
    }
  }
  for (const auto& [root, on] : volumes) {
    const std::optional<bool> makes = files.MakesShortNames(root);
    const char* lasting = "a short name written here lasts only while its folder keeps it";
    if (on.stayLong.empty()) {
      if (makes.value_or(true)) continue;
      std::string line = "the volume '" + root;
      line.append("' makes no short names for folders made from now on: they will have none, and ")
          .append(lasting);
      warnings.push_back({"noShortNames", std::move(line)});
      continue;
    }
    const char* advice = "; --suggest proposes a junction for it";
    if (makes.value_or(false)) {
      // The volume makes them: the folder was made while it did not (or
      // they were taken away).
      for (const auto& [r, folder] : on.stayLong) {
        withoutShortName[r] = "no short name: its folder '" + folder;
        withoutShortName[r].append("' has none").append(advice);
      }
      continue;
    }
    // The volume says it makes none, or cannot tell and a folder that needs
    // one has none.
    for (const auto& [r, folder] : on.stayLong) {
      withoutShortName[r] = "no short name: the volume '" + root;
      withoutShortName[r].append("' makes none").append(advice);
    }
    const std::size_t count = on.stayLong.size();
    std::string line = "the volume '" + root;
    line.append("' makes no short names: ")
        .append(std::to_string(count))
        .append(count == 1 ? " entry on it stays" : " entries on it stay")
        .append(" as long as given; --suggest proposes junctions for them");
    if (on.usesShortNames) line.append("; ").append(lasting);
    warnings.push_back({"noShortNames", std::move(line)});
  }
  return withoutShortName;
}

}  // namespace pathshrink
