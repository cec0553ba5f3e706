#include "compact/junction_suggestions.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <stdexcept>
#include <string_view>
#include <unordered_map>

#include "compact/junction_substitution.h"
#include "pathtext/path_key.h"
#include "pathtext/path_parts.h"
#include "pathtext/path_spelling.h"
#include "system/junction_errors.h"

namespace pathshrink {
namespace {

// A directory that a junction could stand for: a leading part of entries.
struct Candidate {
  std::string key;                   // of its short form, as junction targets are matched
  std::string target;                // as the user spelled it
  std::string folder;                // where its link goes
  std::vector<std::size_t> members;  // written entries below it
};

// How long the root of a key is where a junction can stand for what lies
// below it: a drive's root on Windows ("c:\"), "/" on POSIX; 0 elsewhere
// (a relative path, a network share).
std::size_t LocalRootLength(const std::string& key, const PathConventions& c) {
  const bool share = c.win32Syntax && !key.empty() && c.IsSeparator(key[0]);
  return IsAbsolutePath(key, c) && !share ? PathRootLength(key, c) : 0;
}

// Whether a folder's name names a version: "14.35.32215", "jdk-17.0.2",
// "v12", or its parent's name and a number ("Python\Python311"). The next
// version of the software comes in a folder of another name beside it. Only
// such clear signs count: a name like "john99" is a user's, not a version.
bool NamesVersion(std::string_view name, std::string_view parent) {
  if (name.empty()) return false;
  const auto digit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
  for (std::size_t i = 1; i + 1 < name.size(); ++i) {
    if (name[i] == '.' && digit(name[i - 1]) && digit(name[i + 1])) return true;
  }
  const auto onlyDigits = [&](std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), digit);
  };
  if ((name[0] == 'v' || name[0] == 'V') && onlyDigits(name.substr(1))) return true;
  return !parent.empty() && name.size() > parent.size() && onlyDigits(name.substr(parent.size())) &&
         FoldCase(std::string(name.substr(0, parent.size()))) == FoldCase(std::string(parent));
}

// The folder a link for `target` goes in by default: its drive's root.
std::string RootOf(const std::string& target, const PathConventions& c) {
  return target.substr(0, PathRootLength(target, c));
}

bool IsReservedName(const std::string& name) {
  static const char* const kDevices[] = {"con", "prn", "aux", "nul"};
  for (const char* device : kDevices) {
    if (name == device) return true;
  }
  return false;
}

// Hands out the shortest names that are free in each folder: a, b, ... z,
// aa, ab, ... Free means unused by this run and unknown to the file system.
class LinkNames {
 public:
  LinkNames(FileSystemQueries& queries, const PathConventions& conventions)
      : queries_(queries), conventions_(conventions) {}

  // The next free link path in `folder`, without taking it.
  const std::string& Peek(const std::string& folder) {
    std::string& next = next_[folder];
    while (next.empty()) next = Find(folder);
    return next;
  }
  void Take(const std::string& folder) { next_.erase(folder); }

 private:
  std::string Find(const std::string& folder) {
    std::string path;
    for (;;) {
      const std::string name = Name(counter_[folder]++);
      path = folder;
      if (!conventions_.IsSeparator(path.back())) path += conventions_.Separator();
      path += name;
      if (!IsReservedName(name) && IsFree(path)) return path;
    }
  }
  // Nothing there, not even a link whose target is gone (which the
  // short-name query, following it, would not find).
  bool IsFree(const std::string& path) {
    std::string unused;
    if (queries_.ShortPathName(path, unused)) return false;
    try {
      queries_.ReadJunctionTarget(path);
      return false;
    } catch (const JunctionError& e) {
      return e.kind() == JunctionError::Kind::kUnableToOpen;
    } catch (...) {
      return false;  // something is there that cannot be read
    }
  }
  static std::string Name(std::size_t n) {  // 0 -> a, 25 -> z, 26 -> aa
    std::string name;
    for (++n; n > 0; n = (n - 1) / 26) name.insert(name.begin(), char('a' + (n - 1) % 26));
    return name;
  }

  FileSystemQueries& queries_;
  PathConventions conventions_;
  std::map<std::string, std::size_t> counter_;
  std::map<std::string, std::string> next_;
};

}  // namespace

std::vector<SuggestedJunction> SuggestJunctions(const std::vector<ResolvedEntry>& entries,
                                                const JunctionTable& junctions,
                                                const std::string& linkFolder,
                                                FileSystemQueries& queries,
                                                const SuggestionLimits& limits) {
  const PathConventions conventions = queries.Conventions();
  JunctionTable table = junctions;
  // The written entries, and how long each is now (in UTF-16 units): only
  // lengths change as junctions are added, so entries keep their places.
  const WrittenList initial = WriteEntries(entries, table, conventions);
  const std::vector<WrittenEntry>& written = initial.entries;
  std::vector<std::size_t> lengths;
  lengths.reserve(written.size());
  for (const WrittenEntry& entry : written) lengths.push_back(Utf16Length(entry.text));

  // Every directory that holds written entries, in order of appearance.
  std::vector<Candidate> candidates;
  std::unordered_map<std::string, std::size_t> byKey;
  for (std::size_t w = 0; w < written.size(); ++w) {
    const ResolvedEntry& entry = entries[written[w].resolvedIndex];
    const std::size_t root = LocalRootLength(entry.Key(), conventions);
    if (entry.IsWrittenAsTyped() || root == 0) continue;
    std::size_t givenStart = root;
    std::string_view parent;
    for (const std::size_t length : ComponentEnds(entry.Key(), root, conventions)) {
      // A link that passes through a version would serve that version only:
      // the folder above it serves the next one too.
      const std::size_t givenEnd = RestStart(entry.Key(), length, entry.Given(), conventions);
      const std::string_view component =
          std::string_view(entry.Given()).substr(givenStart, givenEnd - givenStart);
      givenStart = givenEnd + 1;
      if (NamesVersion(component, parent)) break;
      parent = component;
      auto [at, added] = byKey.emplace(entry.Key().substr(0, length), candidates.size());
      if (added) {
        std::string target = entry.Given().substr(0, givenEnd);
        std::string folder = linkFolder.empty() ? RootOf(target, conventions) : linkFolder;
        candidates.push_back({at->first, std::move(target), std::move(folder), {}});
      }
      candidates[at->second].members.push_back(w);
    }
  }

  LinkNames names(queries, conventions);
  std::vector<SuggestedJunction> proposals;
  std::set<std::size_t> proposed;
  while (proposals.size() < limits.most) {
    std::size_t best = candidates.size();
    long long bestGain = 0;
    for (std::size_t c = 0; c < candidates.size(); ++c) {
      const Candidate& candidate = candidates[c];
      if (proposed.count(c) != 0) continue;
      const std::string& link = names.Peek(candidate.folder);
      const std::int32_t savings = JunctionSavings(candidate.target, link);
      // The tool would not use it; nor is a link inside its own target (a
      // loop) ever shorter than the target.
      if (savings <= 0) continue;
      const std::size_t linkLength = Utf16Length(link);
      long long gain = 0;
      for (const std::size_t w : candidate.members) {
        // The tool writes an entry through the junction that writes it
        // shortest: this one counts only where it beats what is written now.
        const ResolvedEntry& entry = entries[written[w].resolvedIndex];
        const std::string_view rest = std::string_view(entry.Spelling())
                                          .substr(RestStart(entry.Key(), candidate.key.size(),
                                                            entry.Spelling(), conventions));
        const std::size_t after = linkLength + Utf16Length(rest);
        if (after < lengths[w]) gain += static_cast<long long>(lengths[w] - after);
      }
      if (gain > bestGain) {
        bestGain = gain;
        best = c;
      }
    }
    if (best == candidates.size() || bestGain < static_cast<long long>(limits.leastSaving)) break;

    const Candidate& chosen = candidates[best];
    const std::string link = names.Peek(chosen.folder);
    names.Take(chosen.folder);
    proposed.insert(best);
    proposals.push_back({link, chosen.target});
    table.push_back({link, chosen.key, JunctionSavings(chosen.target, link)});
    OrderBySavings(table);
    const WrittenList rewritten = WriteEntries(entries, table, conventions);
    std::map<std::size_t, std::string_view> textOf;
    for (const WrittenEntry& entry : rewritten.entries) textOf[entry.resolvedIndex] = entry.text;
    for (std::size_t w = 0; w < written.size(); ++w) {
      if (const auto found = textOf.find(written[w].resolvedIndex); found != textOf.end()) {
        lengths[w] = Utf16Length(found->second);
      }
    }
  }
  return proposals;
}

}  // namespace pathshrink
