#include "compact/compact_path_list.h"

#include <string_view>
#include <unordered_set>
#include <vector>

#include <boost/algorithm/string/join.hpp>
#include <boost/algorithm/string/split.hpp>

#include "compact/junction_substitution.h"

namespace pathshrink {

PathList CompactPathList(const JunctionTable& junctions, PathList list, FileSystemQueries& queries,
                         std::ostream& err) {
  // The entries as ranges of `list`: no copy until one is asked about. Every
  // ';' separates, so n separators give n + 1 entries, empty ones included.
  // (A plain comparison: is_any_of's set lookup per byte costs more than
  // everything else done with an entry here.)
  using Range = boost::iterator_range<PathList::const_iterator>;
  std::vector<Range> entries;
  boost::algorithm::split(
      entries, list, [](char c) { return c == ';'; }, boost::algorithm::token_compress_off);

  // Reserved up front, so the views in `seen` stay valid as `kept` grows.
  std::vector<std::string> kept;
  kept.reserve(entries.size());
  std::unordered_set<std::string_view> seen(entries.size());
  for (const Range& range : entries) {
    std::string shortForm;
    if (!queries.ShortPathName(std::string(range.begin(), range.end()), shortForm)) {
      err << "[invalid entry '" + std::string(range.begin(), range.end()) + "']\n";
      continue;
    }
    kept.push_back(std::move(shortForm));
    if (!seen.insert(kept.back()).second) kept.pop_back();  // a repeat
  }

  if (!junctions.empty()) {
    const JunctionSubstitution substitution(junctions, queries.Conventions());
    for (std::string& entry : kept) substitution.Apply(entry);
  }
  return boost::algorithm::join(kept, ";");
}

}  // namespace pathshrink
