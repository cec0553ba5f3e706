#include "compact/compact_path_list.h"

#include <set>
#include <vector>

#include <boost/algorithm/string/classification.hpp>
#include <boost/algorithm/string/join.hpp>
#include <boost/algorithm/string/split.hpp>

#include "compact/lower_case.h"

namespace pathshrink {
namespace {

// True when `target` is a prefix of `entry` that ends at a component
// boundary. A plain byte prefix would let c:\progra~1 rewrite c:\progra~10,
// a different directory.
bool PrefixesAtBoundary(const std::string& entry, const std::string& target,
                        const PathConventions& conventions) {
  if (target.empty() || entry.size() < target.size()) return false;
  if (entry.compare(0, target.size(), target) != 0) return false;
  return entry.size() == target.size() ||
         conventions.IsSeparator(entry[target.size()]) ||
         conventions.IsSeparator(target.back());
}

}  // namespace

std::string SubstituteJunction(const std::string& entry,
                               const JunctionTable& junctions,
                               const PathConventions& conventions) {
  const std::string comparable =
      conventions.foldsCase ? LowerCased(entry) : entry;
  for (const JunctionEntry& junction : junctions) {
    const std::string& target = junction.shortTarget;
    if (!PrefixesAtBoundary(comparable, target, conventions)) continue;
    std::string rewritten = junction.shortJunction;
    const std::string rest = entry.substr(target.size());
    // A target that ends in a separator (a drive root such as d:\) took the
    // separator that the rest of the entry needs after the junction.
    if (!rest.empty() && conventions.IsSeparator(target.back()) &&
        (rewritten.empty() || !conventions.IsSeparator(rewritten.back()))) {
      rewritten += target.back();
    }
    return rewritten + rest;
  }
  return entry;
}

PathList CompactPathList(const JunctionTable& junctions, PathList list,
                         FileSystemQueries& queries, std::ostream& err) {
  std::vector<std::string> entries;
  boost::algorithm::split(entries, list, boost::algorithm::is_any_of(";"),
                          boost::algorithm::token_compress_off);

  std::set<std::string> seen;
  std::vector<std::string> kept;
  for (const std::string& entry : entries) {
    std::string shortForm;
    if (!queries.ShortPathName(entry, shortForm)) {
      err << "[invalid entry '" + entry + "']\n";
      continue;
    }
    if (seen.insert(shortForm).second) kept.push_back(std::move(shortForm));
  }

  if (!junctions.empty()) {
    const PathConventions conventions = queries.Conventions();
    for (std::string& entry : kept) {
      entry = SubstituteJunction(entry, junctions, conventions);
    }
  }
  return boost::algorithm::join(kept, ";");
}

}  // namespace pathshrink
