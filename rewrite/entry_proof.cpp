#include "rewrite/entry_proof.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "compact/junction_table.h"
#include "compact/path_list_syntax.h"
#include "pathtext/path_parts.h"

namespace pathshrink {

std::size_t ProveEntries(const ResolvedList& resolved, DecidedList& decided,
                         const JunctionTable& junctions, Environment* references,
                         FileSystemQueries& files) {
  // Whether each junction written through opened to its target when it
  // was registered (entries through one come in runs: the last is at hand).
  std::string_view lastJunction;
  bool lastOpens = false;
  const auto opensToItsTarget = [&](std::string_view junction) {
    if (junction.data() != lastJunction.data() || junction.size() != lastJunction.size()) {
      lastJunction = junction;
      lastOpens = false;
      for (const JunctionEntry& candidate : junctions) {
        if (candidate.shortJunction.data() == junction.data() ||
            candidate.shortJunction == junction) {
          lastOpens = candidate.opensToTarget;
          break;
        }
      }
    }
    return lastOpens;
  };
  EntryNotes& notes = decided.notes;
  notes.proved.assign(resolved.entries.size(), false);
  notes.unproven.assign(resolved.entries.size(), std::string());
  // Each entry as the list gives it, by resolved index: worked out the
  // first time it is needed (an entry with references written otherwise,
  // or one to write as given after all).
  std::vector<std::string_view> givenOf;
  const auto givenList = [&]() -> const std::vector<std::string_view>& {
    if (givenOf.empty()) {
      givenOf.resize(resolved.entries.size());
      ForEachRecord(resolved, decided.written, notes, [&givenOf](const EntryRecord& record) {
        if (record.resolvedIndex < givenOf.size()) givenOf[record.resolvedIndex] = record.given;
      });
    }
    return givenOf;
  };
  const auto typed = [&](std::size_t r) { return givenList()[r]; };
  std::vector<std::size_t> unproven;  // by resolved index
  std::size_t proved = 0;
  for (const WrittenEntry& entry : decided.written.entries) {
    const std::size_t r = entry.resolvedIndex;
    const ResolvedEntry& resolvedEntry = resolved.entries[r];
    // Written as given (its spelling normalized at most): nothing to prove.
    // (An entry kept as typed, with no reference, is as given too.) One
    // kept as typed with its references is spelled anew after them (short
    // names below %TOOLS%): written otherwise than the list gives it unless
    // it is that text.
    const bool withReferences = resolvedEntry.IsWrittenAsTyped();
    if (withReferences && !HoldsEnvironmentReference(entry.text)) continue;
    if (withReferences ? entry.text == Unquoted(typed(r)) : entry.text == resolvedEntry.Given()) {
      continue;
    }
    // The directory the given entry opened to: as resolving found it, or,
    // for one written with its references, where the references as typed
    // lead.
    std::optional<DirectoryIdentity> meant =
        r < resolved.identities.size() ? resolved.identities[r] : std::nullopt;
    if (!meant && withReferences) meant = EntryOpensTo(typed(r), references, files);
    if (!meant) continue;  // nothing opened: judged by its text alone
    const std::string_view text = entry.text;
    if (!entry.junction.empty() && text.substr(0, entry.junction.size()) == entry.junction &&
        text.find('~', entry.junction.size()) == std::string_view::npos &&
        opensToItsTarget(entry.junction)) {
      notes.proved[r] = true;
      ++proved;
      continue;
    }
    const std::optional<DirectoryIdentity> opened = EntryOpensTo(text, references, files);
    if (opened && *opened == *meant) {
      notes.proved[r] = true;
      ++proved;
      continue;
    }
    unproven.push_back(r);
  }
  if (unproven.empty()) return proved;
  // Written exactly as the list gives them, instead (the report says so).
  givenList();
  for (WrittenEntry& entry : decided.written.entries) {
    const std::size_t r = entry.resolvedIndex;
    if (std::find(unproven.begin(), unproven.end(), r) == unproven.end()) continue;
    notes.unproven[r] = std::string(entry.text);
    entry.text = givenOf[r];
    entry.junction = {};
  }
  decided.text = JoinEntries(decided.written);
  return proved;
}

}  // namespace pathshrink
