#include "compact/compact_path_list.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>

#include "compact/junction_substitution.h"
#include "compact/key_set.h"
#include "compact/path_list_syntax.h"
#include "pathtext/path_key.h"
#include "pathtext/path_parts.h"
#include "pathtext/path_spelling.h"

namespace pathshrink {

ResolvedEntry ResolvedEntry::Resolved(std::string_view given, std::string shortForm,
                                      const PathConventions& conventions) {
  ResolvedEntry entry;
  entry.shortForm_ = std::move(shortForm);
  OtherSpellings others;
  if (given != entry.shortForm_) {
    others.given = given;
    std::string spelling = ShortestSpelling(entry.shortForm_, others.given, conventions);
    if (spelling != entry.shortForm_) others.spelling = std::move(spelling);
  }
  if (conventions.foldsCase || (conventions.win32Syntax && IsDevicePath(entry.shortForm_))) {
    std::string key = PathKey(entry.shortForm_, conventions);
    if (key != entry.shortForm_) others.key = std::move(key);
  }
  if (!others.given.empty() || !others.key.empty()) {
    entry.otherSpellings_ = std::make_unique<OtherSpellings>(std::move(others));
  }
  entry.keyHash_ = KeySet::Hash(entry.Key());
  return entry;
}

ResolvedEntry ResolvedEntry::WrittenAsTyped(std::string text, std::string key) {
  ResolvedEntry entry;
  entry.otherSpellings_ =
      std::make_unique<OtherSpellings>(OtherSpellings{text, std::move(text), std::move(key)});
  entry.keyHash_ = KeySet::Hash(entry.Key());
  return entry;
}

namespace {

std::string WhyUnchecked(Unresolved why, std::string_view given,
                         const PathConventions& conventions) {
  switch (why) {
    case Unresolved::kNotAnswering:
      return "its drive or share '" + ParseRoot(given, conventions).text + "' does not answer";
    case Unresolved::kVolumeAbsent:
      return "its drive or share is not there";
    case Unresolved::kAccessDenied:
      return "access denied";
    case Unresolved::kUnreachable:
      return "the system could not check it";
    case Unresolved::kMissing:
      break;
  }
  return "it does not exist";
}

// `entry` (unquoted) written with its references as typed and the rest in
// its shortest spelling, given where it leads: `expansion` (`normalized`,
// with the short form `shortForm`). The component that holds the last
// reference stays as typed. Where the rest climbs out of what the
// references name, the entry is written as typed.
std::string ReferenceSpelling(const std::string& entry, const Expansion& expansion,
                              const std::string& normalized, const std::string& shortForm,
                              const PathConventions& conventions) {
  std::size_t cut = expansion.end;
  while (cut < entry.size() && !conventions.IsSeparator(entry[cut])) ++cut;
  if (cut == entry.size()) return entry;
  // A ".." after the references may climb out of what they name: such an
  // entry is written as typed, never folded into the reference.
  for (const std::string_view part :
       Components(std::string_view(entry).substr(cut + 1), conventions)) {
    if (part == "..") return entry;
  }
  const std::size_t tailSize = entry.size() - cut;
  // What the references (with the rest of their component) name.
  const std::string referenced =
      NormalizedPath(expansion.text.substr(0, expansion.text.size() - tailSize), conventions);
  const std::string referencedKey = PathKey(referenced, conventions);
  // References that name nothing (an empty value in front of "\\\\server")
  // lead nowhere to write the rest after.
  if (referencedKey.empty()) return entry;
  const std::string key = PathKey(normalized, conventions);
  const bool below = key.size() > referencedKey.size() &&
                     key.compare(0, referencedKey.size(), referencedKey) == 0 &&
                     (conventions.IsSeparator(key[referencedKey.size()]) ||
                      conventions.IsSeparator(referencedKey.back()));
  if (!below) return key == referencedKey ? entry.substr(0, cut) : entry;
  const std::string spelled = ShortestSpelling(shortForm, normalized, conventions);
  const std::size_t rest = RestStart(normalized, referenced.size(), spelled, conventions);
  return entry.substr(0, cut) + spelled.substr(rest);
}

}  // namespace

std::optional<DirectoryIdentity> EntryOpensTo(std::string_view entry, Environment* references,
                                              FileSystemQueries& files) {
  const PathConventions conventions = files.Conventions();
  std::string path = conventions.win32Syntax ? Unquoted(entry) : std::string(entry);
  if (conventions.win32Syntax && HoldsEnvironmentReference(path)) {
    if (references == nullptr) return std::nullopt;
    const Expansion expansion = ExpandReferences(path, *references);
    if (expansion.outcome != Expansion::kExpanded) return std::nullopt;
    path = expansion.text;
  }
  if (!IsAbsolutePath(path, conventions)) return std::nullopt;
  return files.Identity(NormalizedPath(std::move(path), conventions));
}

ResolvedList ResolveEntries(std::string_view list, FileSystemQueries& queries,
                            const ResolveOptions& options) {
  const PathConventions conventions = queries.Conventions();
  // Quotes and %NAME% belong to Windows' list syntax; on POSIX both are
  // ordinary bytes of a name.
  const bool windows = conventions.win32Syntax;
  ResolvedList resolved;
  resolved.split = SplitPathList(list, windows);
  const std::vector<std::string_view>& split = resolved.split;
  // Looked for once in the whole list: most lists hold none.
  const bool controlCharacters = windows && HoldsControlCharacter(list);
  // Reserved up front, so the views in `seen` stay valid as `entries` grows;
  // and `findings`, so that it is never copied as it grows: the pages a
  // run touches are a large part of what it costs, and reserved ones that
  // are never written are never touched.
  std::vector<ResolvedEntry>& entries = resolved.entries;
  std::vector<EntryFinding>& findings = resolved.findings;
  entries.reserve(split.size());
  findings.reserve(split.size());
  KeySet seen(split.size());
  resolved.identities.reserve(split.size());
  // The directories opened so far, as 16 bytes each (volume, file), by the
  // resolved entry that opened each first: two spellings the text cannot
  // tell apart (a subst drive and its folder, a junction and its target)
  // open to one directory.
  KeySet opened(split.size());
  constexpr std::size_t kIdentityBytes = 24;
  const std::unique_ptr<char[]> openedBytes(new char[split.size() * kIdentityBytes + 1]);
  std::vector<std::size_t> openedBy;
  openedBy.reserve(split.size());
  // A repeat of an entry resolved before is of no use to anyone after this:
  // it goes at once, and the memory with it. Each key in `seen` is the
  // entry at the same position.
  const auto keepUnlessRepeat = [&](std::string_view typed, ResolvedEntry entry,
                                    std::optional<DirectoryIdentity> identity = std::nullopt) {
    std::string_view directory;
    std::uint32_t directoryHash = 0;
    if (identity) {
      char* const bytes = openedBytes.get() + openedBy.size() * kIdentityBytes;
      std::memcpy(bytes, &identity->volume, 8);
      std::memcpy(bytes + 8, &identity->file, 8);
      std::memcpy(bytes + 16, &identity->fileHigh, 8);
      directory = std::string_view(bytes, kIdentityBytes);
      directoryHash = KeySet::Hash(directory);
      const std::size_t first = opened.InsertOrFind(directory, directoryHash);
      if (first != KeySet::npos) {
        findings.push_back({EntryFinding::Kind::kRepeat, typed, {}, openedBy[first]});
        return false;
      }
      openedBy.push_back(entries.size());
    }
    entries.push_back(std::move(entry));
    const std::size_t named = seen.InsertOrFind(entries.back().Key(), entries.back().KeyHash());
    if (named != KeySet::npos) {
      findings.push_back({EntryFinding::Kind::kRepeat, typed, {}, named});
      entries.pop_back();
      // (The directory stays known as this one's: the entry it repeats
      // names it too.)
      if (identity) openedBy.back() = named;
      return false;
    }
    resolved.identities.push_back(identity);
    return true;
  };
  for (const std::string_view entry : split) {
    // Windows allows no control character in a name, and one written back
    // (a line break above all) would split the output where it is read.
    if (controlCharacters && HoldsControlCharacter(entry)) {
      findings.push_back({EntryFinding::Kind::kControlCharacters, entry, {}});
      continue;
    }
    // Most entries are spelled plainly already: those are used as they
    // stand, and only the others are copied to be spelled anew.
    std::string unquoted;
    std::string_view bare = entry;  // without its quotes
    if (windows && entry.find('"') != std::string_view::npos) {
      unquoted = Unquoted(entry);
      bare = unquoted;
    }
    std::string respelled;
    std::string_view given = bare;
    if (!IsNormalized(bare, conventions)) {
      respelled = NormalizedPath(std::string(bare), conventions);
      given = respelled;
    }
    // Kept as typed, with a line that says why. Only what was judged has
    // an identity: this one is the same only as an entry of the same text
    // (behind a mark no judged key starts with), whatever ".." it holds.
    const auto keepUnchecked = [&](const std::string& why) {
      std::string key(1, '\0');
      key += bare;
      if (conventions.foldsCase) key = FoldCase(std::move(key));
      if (keepUnlessRepeat(entry,
                           ResolvedEntry::WrittenAsTyped(std::string(entry), std::move(key)))) {
        findings.push_back({EntryFinding::Kind::kUnchecked, entry, resolved.whys.Add(why)});
      }
    };
    if (windows && HoldsEnvironmentReference(entry)) {
      const std::string typed(bare);
      if (options.environment == nullptr) {
        keepUnchecked("Windows does not expand references here");
        continue;
      }
      const Expansion expansion = ExpandReferences(typed, *options.environment);
      if (expansion.outcome == Expansion::kUndefined) {
        keepUnchecked("%" + expansion.text + "% is not defined");
        continue;
      }
      if (expansion.outcome == Expansion::kLonePercent) {
        keepUnchecked("a '%' without its partner");
        continue;
      }
      const std::string expanded = NormalizedPath(expansion.text, conventions);
      std::string answer;
      // Judged as typed: spelled anew, ".\c:\x" would look like "c:\x".
      if (expansion.text.find_first_of(";\"") != std::string::npos ||
          !IsAbsolutePath(expansion.text, conventions) ||
          !queries.ShortPathName(expanded, answer)) {
        // The variable may lead elsewhere tomorrow.
        keepUnchecked("it leads to '" + expansion.text + "', not a directory now");
        continue;
      }
      answer = NormalizedPath(std::move(answer), conventions);
      std::string text = ReferenceSpelling(typed, expansion, expanded, answer, conventions);
      if (text.find(';') != std::string::npos) text = QuotedForList(std::move(text));
      // An entry that refers to a variable a user or an administrator
      // defines is written so that it follows the variable: it is one only
      // with an entry that refers to it the same way, never with the
      // folder it names today (behind a mark no other key starts with).
      std::string key = PathKey(answer, conventions);
      if (!std::all_of(expansion.names.begin(), expansion.names.end(),
                       [](const std::string& name) { return IsWindowsOwnVariable(name); })) {
        key = std::string(1, kFollowsVariableMark) + FoldCase(NormalizedPath(typed, conventions));
      }
      keepUnlessRepeat(entry, ResolvedEntry::WrittenAsTyped(std::move(text), std::move(key)));
      continue;
    }
    // A relative entry names a folder relative to wherever PATH is used
    // later, not to where the tool runs. Judged as typed: spelled anew,
    // ".\c:\x" would look like "c:\x".
    if (!bare.empty() && !IsAbsolutePath(bare, conventions)) {
      keepUnchecked("relative to the current folder");
      continue;
    }
    std::string answer;
    if (!queries.ShortPathName(std::string(given), answer)) {
      const Unresolved why =
          given.empty() ? Unresolved::kMissing : queries.WhyUnresolved(std::string(given));
      if (unquoted.find(';') != std::string::npos) {
        // Quotes that join what ';' would split (a stray one, or a pair
        // around several entries): leaving the group out would cost every
        // entry in it.
        keepUnchecked("its quotes join several entries into one that is not a directory");
      } else if (why == Unresolved::kMissing) {
        findings.push_back({EntryFinding::Kind::kInvalid, entry, {}});
      } else {
        keepUnchecked(WhyUnchecked(why, given, conventions));
      }
      continue;
    }
    // An answer that repeats the (normalized) question needs no second look.
    if (answer != given) answer = NormalizedPath(std::move(answer), conventions);
    // The directory the entry as given opens to (on POSIX, where the answer
    // is the question, the look just taken answers it).
    std::optional<DirectoryIdentity> identity =
        answer == given ? queries.Identity(answer) : queries.Identity(std::string(given));
    keepUnlessRepeat(entry, ResolvedEntry::Resolved(given, std::move(answer), conventions),
                     identity);
  }
  return resolved;
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
  TextArena keys;  // of rewritten entries: where views in `seen` point, if not into `entries`
  KeySet seen(mayRepeat ? 2 * entries.size() : 0);
  std::vector<std::size_t> ownerOf;  // the entry each key in `seen` came from
  WrittenList written;
  const auto firstTime = [&](std::string_view key, std::uint32_t hash, std::size_t i) {
    if (seen.Insert(key, hash)) {
      ownerOf.push_back(i);
      return true;
    }
    written.repeats.emplace_back(i, ownerOf[seen.Find(key)]);
    return false;
  };
  written.entries.reserve(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const ResolvedEntry& entry = entries[i];
    std::string_view text = entry.Spelling();
    std::string_view junction;
    // A repeat of a kept entry, or of one dropped as a repeat: either way
    // the directory is in the list already.
    // Listed through a junction, it is also the directory the target names.
    if (mayRepeat) {
      if (!firstTime(entry.Key(), entry.KeyHash(), i)) continue;
      const std::string named = substitution.ThroughTargets(entry.Key());
      if (!named.empty() && named != entry.Key()) {
        const std::string_view key = keys.Add(named);
        if (!firstTime(key, KeySet::Hash(key), i)) continue;
      }
    }
    if (const auto rewritten = substitution.Rewritten(entry)) {
      text = written.texts.Add(rewritten->path, rewritten->rest);
      junction = rewritten->path;
      if (mayRepeat) {
        // What it names, as entries are keyed: the junction's short form
        // and the rest of the entry's own key.
        const std::string_view key = keys.Add(rewritten->pathKey, rewritten->restKey);
        if (!firstTime(key, KeySet::Hash(key), i)) continue;
      }
    }
    // A name that holds a ';' is quoted, or the list would split it.
    if (!entry.IsWrittenAsTyped() && conventions.win32Syntax &&
        text.find(';') != std::string::npos) {
      text = written.texts.Add(QuotedForList(std::string(text)));
    }
    written.entries.push_back({i, text, junction});
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
                         FileSystemQueries& queries) {
  const ResolvedList resolved = ResolveEntries(list, queries);
  return JoinEntries(WriteEntries(resolved.entries, junctions, queries.Conventions()));
}

}  // namespace pathshrink
