#include "compact/compact_path_list.h"

#include <optional>
#include <string_view>

#include "compact/junction_substitution.h"
#include "compact/key_set.h"
#include "compact/path_list_syntax.h"

namespace pathshrink {

ResolvedEntry ResolvedEntry::Resolved(std::string_view given, std::string shortForm,
                                      const PathConventions& conventions) {
  ResolvedEntry entry;
  entry.shortForm_ = std::move(shortForm);
  Others others;
  if (given != entry.shortForm_) {
    others.given = given;
    std::string spelling = ShortestSpelling(entry.shortForm_, others.given, conventions);
    if (spelling != entry.shortForm_) others.spelling = std::move(spelling);
  }
  if (conventions.foldsCase) {
    std::string key = FoldCase(entry.shortForm_);
    if (key != entry.shortForm_) others.key = std::move(key);
  }
  if (!others.given.empty() || !others.key.empty()) {
    entry.others_ = std::make_unique<Others>(std::move(others));
  }
  entry.keyHash_ = KeySet::Hash(entry.Key());
  return entry;
}

ResolvedEntry ResolvedEntry::Verbatim(std::string text, std::string key) {
  ResolvedEntry entry;
  entry.others_ = std::make_unique<Others>(Others{text, std::move(text), std::move(key)});
  entry.keyHash_ = KeySet::Hash(entry.Key());
  return entry;
}

std::vector<ResolvedEntry> ResolveEntries(std::string_view list, FileSystemQueries& queries,
                                          std::ostream& err) {
  const PathConventions conventions = queries.Conventions();
  // Quotes and %NAME% belong to Windows' list syntax; on POSIX both are
  // ordinary bytes of a name.
  const bool windows = conventions.win32Syntax;
  const std::vector<std::string_view> split = SplitPathList(list, windows);
  // Reserved up front, so the views in `seen` stay valid as `entries` grows.
  std::vector<ResolvedEntry> entries;
  entries.reserve(split.size());
  KeySet seen(split.size());
  // A repeat of an entry resolved before is of no use to anyone after this:
  // it goes at once, and the memory with it.
  const auto keepUnlessRepeat = [&](ResolvedEntry entry) {
    entries.push_back(std::move(entry));
    if (!seen.Insert(entries.back().Key(), entries.back().KeyHash())) entries.pop_back();
  };
  for (const std::string_view entry : split) {
    // Most entries are spelled plainly already: those are used as they
    // stand, and only the others are copied to be spelled anew.
    std::string respelled;
    std::string_view given = entry;
    if ((windows && entry.find('"') != std::string_view::npos) ||
        !IsNormalized(entry, conventions)) {
      respelled = NormalizedPath(windows ? Unquoted(entry) : std::string(entry), conventions);
      given = respelled;
    }
    if (windows && HoldsEnvironmentReference(entry)) {
      // The tool reads no environment: the entry goes back as it came.
      keepUnlessRepeat(ResolvedEntry::Verbatim(std::string(entry), PathKey(given, conventions)));
      continue;
    }
    std::string answer;
    if (!queries.ShortPathName(std::string(given), answer)) {
      err << "[invalid entry '" + std::string(entry) + "']\n";
      continue;
    }
    // An answer that repeats the (normalized) question needs no second look.
    if (answer != given) answer = NormalizedPath(std::move(answer), conventions);
    keepUnlessRepeat(ResolvedEntry::Resolved(given, std::move(answer), conventions));
  }
  return entries;
}

WrittenList WriteEntries(const std::vector<ResolvedEntry>& entries, const JunctionTable& junctions,
                         const PathConventions& conventions) {
  const JunctionSubstitution substitution(junctions, conventions);
  // Both identities of every written entry, the one it resolved to and the
  // one it is written as: an entry given through a junction and one that a
  // junction rewrites are the same directory. Where no entry can be written
  // like another (no junctions, or none that an entry is listed through),
  // the keys are distinct already and the check is spared.
  const bool mayRepeat = !junctions.empty() && substitution.MayWriteRepeats(entries);
  TextArena foldedKeys;  // where views in `seen` point, if not into texts
  KeySet seen(mayRepeat ? 2 * entries.size() : 0);
  WrittenList written;
  written.entries.reserve(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const ResolvedEntry& entry = entries[i];
    std::string_view text = entry.Spelling();
    // A repeat of a kept entry, or of one dropped as a repeat: either way
    // the directory is in the list already.
    if (mayRepeat && !seen.Insert(entry.Key(), entry.KeyHash())) continue;
    if (const auto rewritten = substitution.Rewritten(entry)) {
      text = written.texts.Add(rewritten->junction, rewritten->rest);
      if (mayRepeat) {
        const std::string_view key =
            conventions.foldsCase ? foldedKeys.Add(FoldCase(std::string(text))) : text;
        if (!seen.Insert(key)) continue;
      }
    }
    // A name that holds a ';' is quoted, or the list would split it.
    if (!entry.IsVerbatim() && conventions.win32Syntax && text.find(';') != std::string::npos) {
      text = written.texts.Add(QuotedForList(std::string(text)));
    }
    written.entries.push_back({i, text});
  }
  return written;
}

PathList JoinEntries(const WrittenList& written) {
  std::size_t size = written.entries.size();
  for (const WrittenEntry& entry : written.entries) size += entry.text.size();
  PathList list;
  list.reserve(size);
  for (std::size_t i = 0; i < written.entries.size(); ++i) {
    if (i > 0) list += ';';
    list.append(written.entries[i].text);
  }
  return list;
}

PathList CompactPathList(const JunctionTable& junctions, const PathList& list,
                         FileSystemQueries& queries, std::ostream& err) {
  const std::vector<ResolvedEntry> entries = ResolveEntries(list, queries, err);
  return JoinEntries(WriteEntries(entries, junctions, queries.Conventions()));
}

}  // namespace pathshrink
