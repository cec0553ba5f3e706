#include "compact/compact_path_list.h"

#include <string_view>
#include <unordered_set>

#include <boost/algorithm/string/join.hpp>
#include <boost/range/adaptor/transformed.hpp>

#include "compact/junction_substitution.h"
#include "compact/path_list_syntax.h"

namespace pathshrink {

std::vector<ResolvedEntry> ResolveEntries(const PathList& list, FileSystemQueries& queries,
                                          std::ostream& err) {
  const PathConventions conventions = queries.Conventions();
  // Quotes and %NAME% belong to Windows' list syntax; on POSIX both are
  // ordinary bytes of a name.
  const bool windows = conventions.win32Syntax;
  const std::vector<std::string_view> split = SplitPathList(list, windows);
  std::vector<ResolvedEntry> entries;
  entries.reserve(split.size());
  for (const std::string_view entry : split) {
    std::string given = NormalizedPath(windows ? Unquoted(entry) : std::string(entry), conventions);
    if (windows && HoldsEnvironmentReference(entry)) {
      // The tool reads no environment: the entry goes back as it came.
      std::string key = PathKey(given, conventions);
      entries.push_back(
          {std::move(given), std::string(), std::string(entry), std::move(key), true});
      continue;
    }
    std::string answer;
    if (!queries.ShortPathName(given, answer)) {
      err << "[invalid entry '" + std::string(entry) + "']\n";
      continue;
    }
    ResolvedEntry& resolved = entries.emplace_back();
    resolved.shortForm = NormalizedPath(answer, conventions);
    resolved.spelling = ShortestSpelling(resolved.shortForm, given, conventions);
    resolved.key = PathKey(resolved.shortForm, conventions);
    resolved.given = std::move(given);
  }
  return entries;
}

std::vector<WrittenEntry> WriteEntries(const std::vector<ResolvedEntry>& entries,
                                       const JunctionTable& junctions,
                                       const PathConventions& conventions) {
  const JunctionSubstitution substitution(junctions, conventions);
  // Both identities of every written entry, the one it resolved to and the
  // one it is written as: an entry given through a junction and one that a
  // junction rewrites are the same directory.
  std::vector<std::string> writtenKeys;
  writtenKeys.reserve(entries.size());  // the views in `seen` must stay valid
  std::unordered_set<std::string_view> seen(2 * entries.size());
  std::vector<WrittenEntry> written;
  written.reserve(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const ResolvedEntry& entry = entries[i];
    if (seen.count(entry.key) != 0) continue;
    std::string text = substitution.Written(entry);
    if (!entry.verbatim && text != entry.shortForm) {
      std::string& key = writtenKeys.emplace_back(PathKey(text, conventions));
      if (!seen.insert(key).second) continue;
    }
    seen.insert(entry.key);
    if (!entry.verbatim && conventions.win32Syntax) text = QuotedForList(std::move(text));
    written.push_back({i, std::move(text)});
  }
  return written;
}

PathList JoinEntries(const std::vector<WrittenEntry>& written) {
  const auto text = [](const WrittenEntry& entry) -> const std::string& { return entry.text; };
  return boost::algorithm::join(written | boost::adaptors::transformed(text), ";");
}

PathList CompactPathList(const JunctionTable& junctions, const PathList& list,
                         FileSystemQueries& queries, std::ostream& err) {
  return JoinEntries(
      WriteEntries(ResolveEntries(list, queries, err), junctions, queries.Conventions()));
}

}  // namespace pathshrink
