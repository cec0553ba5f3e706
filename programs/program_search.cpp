#include "programs/program_search.h"

#include <algorithm>
#include <cstddef>
#include <map>
#include <optional>
#include <tuple>
#include <utility>

#include "pathtext/path_key.h"

namespace pathshrink {
namespace {

constexpr std::size_t kNotSearched = static_cast<std::size_t>(-1);

// One folder the search looks in, at its first place in each order.
struct Place {
  std::string path;
  std::size_t inPath = kNotSearched;            // its index among the PATH's folders
  std::size_t forCreateProcess = kNotSearched;  // its index in CreateProcess's order
};

// The places in search order (CreateProcess's own two first), one for
// each directory: two spellings of one folder are looked in once.
std::vector<Place> PlacesOf(const ProgramSearch& search, FileSystemQueries& files) {
  std::vector<Place> places;
  std::map<DirectoryIdentity, std::size_t> byIdentity;
  std::map<std::string, std::size_t> byText;
  const auto placeOf = [&](const std::string& path) {
    std::string text = search.windows ? FoldCase(path) : path;
    while (text.size() > 1 && (text.back() == '/' || (search.windows && text.back() == '\\'))) {
      text.pop_back();
    }
    if (const auto found = byText.find(text); found != byText.end()) return found->second;
    const std::optional<DirectoryIdentity> identity = files.Identity(path);
    if (identity) {
      if (const auto found = byIdentity.find(*identity); found != byIdentity.end()) {
        byText.emplace(text, found->second);
        return found->second;
      }
      byIdentity.emplace(*identity, places.size());
    }
    byText.emplace(text, places.size());
    places.push_back({path});
    return places.size() - 1;
  };
  std::size_t order = 0;
  if (search.windows) {
    for (const std::string* own : {&search.systemFolder, &search.windowsFolder}) {
      if (own->empty()) continue;
      Place& place = places[placeOf(*own)];
      if (place.forCreateProcess == kNotSearched) place.forCreateProcess = order++;
    }
  }
  for (std::size_t i = 0; i < search.folders.size(); ++i) {
    Place& place = places[placeOf(search.folders[i])];
    if (place.inPath == kNotSearched) place.inPath = i;
    if (search.windows && place.forCreateProcess == kNotSearched) {
      place.forCreateProcess = order++;
    }
  }
  return places;
}

// A file that answers to a name, where it lies and what each search makes
// of it.
struct Candidate {
  std::size_t place;
  std::string name;
  std::string typed;  // what one types to start it: the name without ".ps1" or its extension
  bool executionAlias;
  std::size_t extension;  // its rank in PATHEXT, or kNotSearched
  bool exe;
  bool executable;  // POSIX: a shell may run it
  // Its rank in PowerShell's order within one folder, or kNotSearched:
  // on Windows ".ps1" then PATHEXT's, elsewhere the name itself then ".ps1".
  std::size_t forPwsh;
};

bool EndsWithPs1(const std::string& name) {
  return name.size() > 4 && FoldCase(name.substr(name.size() - 4)) == ".ps1";
}

}  // namespace

Shadows FindShadows(const ProgramSearch& search, FileSystemQueries& files) {
  Shadows shadows;
  std::vector<std::string> extensions;  // folded, in PATHEXT order
  for (std::size_t start = 0; start <= search.pathext.size();) {
    std::size_t end = search.pathext.find(';', start);
    if (end == std::string::npos) end = search.pathext.size();
    // Trailing spaces and dots go, as Windows trims a file name's.
    std::size_t last = end;
    while (last > start && (search.pathext[last - 1] == ' ' || search.pathext[last - 1] == '.')) {
      --last;
    }
    if (last > start) extensions.push_back(FoldCase(search.pathext.substr(start, last - start)));
    start = end + 1;
  }
  const std::vector<Place> places = PlacesOf(search, files);
  std::map<std::string, std::vector<Candidate>> byName;  // by folded name
  std::vector<FolderFile> listed;
  for (std::size_t p = 0; p < places.size(); ++p) {
    if (!files.FilesIn(places[p].path, listed)) {
      if (places[p].inPath != kNotSearched) shadows.unlisted.push_back(places[p].path);
      continue;
    }
    for (FolderFile& file : listed) {
      if (!search.windows) {
        // pwsh takes the file of that name whether it may be run or not.
        byName[file.name].push_back(
            {p, file.name, file.name, false, kNotSearched, false, file.executable, 0});
        if (EndsWithPs1(file.name)) {
          const std::string typed = file.name.substr(0, file.name.size() - 4);
          byName[typed].push_back({p, file.name, typed, false, kNotSearched, false, false, 1});
        }
        continue;
      }
      const std::size_t dot = file.name.rfind('.');
      if (dot == std::string::npos || dot == 0) continue;
      const std::string extension = FoldCase(file.name.substr(dot));
      const auto rank = std::find(extensions.begin(), extensions.end(), extension);
      const bool exe = extension == ".exe";
      const bool ps1 = extension == ".ps1";
      if (rank == extensions.end() && !exe && !ps1) continue;
      const std::size_t inPathext = rank == extensions.end()
                                        ? kNotSearched
                                        : static_cast<std::size_t>(rank - extensions.begin());
      byName[FoldCase(file.name.substr(0, dot))].push_back(
          {p, file.name, file.name.substr(0, dot), file.executionAlias, inPathext, exe, true,
           ps1                         ? 0
           : inPathext == kNotSearched ? kNotSearched
                                       : inPathext + 1});
    }
  }
  for (auto& named : byName) {
    std::vector<Candidate>& candidates = named.second;
    // Only names the list itself holds: the system folder and the Windows
    // folder alone are no PATH's doing.
    const bool elsewhere = std::any_of(candidates.begin(), candidates.end(),
                                       [&candidates](const Candidate& candidate) {
                                         return candidate.place != candidates.front().place;
                                       });
    const bool listed =
        std::any_of(candidates.begin(), candidates.end(), [&places](const Candidate& candidate) {
          return places[candidate.place].inPath != kNotSearched;
        });
    if (!elsewhere || !listed) continue;
    // The order folders are searched in, then PATHEXT's within one.
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const Candidate& a, const Candidate& b) {
                       return std::tie(a.place, a.forPwsh, a.extension) <
                              std::tie(b.place, b.forPwsh, b.extension);
                     });
    // Each search's winner: the first it looks at.
    const auto first = [&](auto sought, auto order) {
      const Candidate* best = nullptr;
      for (const Candidate& candidate : candidates) {
        if (!sought(candidate)) continue;
        if (best == nullptr || order(candidate) < order(*best)) best = &candidate;
      }
      return best;
    };
    const auto cmdSought = [&places](const Candidate& c) {
      return c.extension != kNotSearched && places[c.place].inPath != kNotSearched;
    };
    const auto cmdOrder = [&places](const Candidate& c) {
      return std::make_pair(places[c.place].inPath, c.extension);
    };
    const auto exeSought = [&places](const Candidate& c) {
      return c.exe && places[c.place].forCreateProcess != kNotSearched;
    };
    const auto exeOrder = [&places](const Candidate& c) {
      return places[c.place].forCreateProcess;
    };
    const auto posixSought = [&places](const Candidate& c) {
      return c.executable && c.forPwsh == 0 && places[c.place].inPath != kNotSearched;
    };
    const auto posixOrder = [&places](const Candidate& c) { return places[c.place].inPath; };
    const auto pwshSought = [&places](const Candidate& c) {
      return c.forPwsh != kNotSearched && places[c.place].inPath != kNotSearched;
    };
    const auto pwshOrder = [&places](const Candidate& c) {
      return std::make_pair(places[c.place].inPath, c.forPwsh);
    };
    const Candidate* cmd = search.windows ? first(cmdSought, cmdOrder) : nullptr;
    const Candidate* exe = search.windows ? first(exeSought, exeOrder) : nullptr;
    const Candidate* posix = search.windows ? nullptr : first(posixSought, posixOrder);
    const Candidate* pwsh = first(pwshSought, pwshOrder);
    const auto fate = [](const Candidate& c, bool sought, const Candidate* winner) {
      if (!sought) return Fate::kNotSought;
      return &c == winner ? Fate::kRuns : Fate::kNever;
    };
    ShadowedName shadowed;
    shadowed.name = (cmd     ? cmd
                     : exe   ? exe
                     : posix ? posix
                     : pwsh  ? pwsh
                             : &candidates.front())
                        ->typed;
    for (const Candidate& c : candidates) {
      FoundProgram found;
      const std::string& folder = places[c.place].path;
      const char separator = search.windows ? '\\' : '/';
      found.path = folder;
      if (found.path.empty() || (found.path.back() != separator && found.path.back() != '/')) {
        found.path += separator;
      }
      found.path += c.name;
      found.executionAlias = c.executionAlias;
      if (search.windows) {
        found.cmd = fate(c, cmdSought(c), cmd);
        found.createProcess = fate(c, exeSought(c), exe);
      } else {
        found.posix = fate(c, posixSought(c), posix);
      }
      found.pwsh = fate(c, pwshSought(c), pwsh);
      shadowed.files.push_back(std::move(found));
    }
    shadows.names.push_back(std::move(shadowed));
  }
  return shadows;
}

}  // namespace pathshrink
