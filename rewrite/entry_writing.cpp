#include "rewrite/entry_writing.h"

#include <algorithm>
#include <string>

#include "pathtext/path_spelling.h"
#include "report/report.h"
#include "rewrite/machine_path.h"
#include "rewrite/profile_variables.h"
#include "rewrite/target_length.h"

namespace pathshrink {

DecidedList DecideEntries(std::string_view given, const ResolvedList& resolved, EntryNotes found,
                          const WritingRules& rules, FileSystemQueries& files, std::ostream& err) {
  const PathConventions conventions = files.Conventions();
  const std::vector<ResolvedEntry>& entries = resolved.entries;
  DecidedList decided;
  decided.notes = std::move(found);
  const std::vector<std::string>& listed = decided.notes.listedByMachine;
  // Each entry whose folder the machine's Path lists goes: a new window
  // searches that first.
  const auto leaveOutListed = [&listed](WrittenList& list) {
    if (listed.empty()) return;
    std::vector<WrittenEntry>& kept = list.entries;
    kept.erase(std::remove_if(kept.begin(), kept.end(),
                              [&listed](const WrittenEntry& entry) {
                                return !listed[entry.resolvedIndex].empty();
                              }),
               kept.end());
  };
  WrittenList& written = decided.written;
  written = WriteEntries(entries, *rules.junctions, conventions);
  leaveOutListed(written);
  if (rules.machine != nullptr) {
    ShortNamesForTheMachine(written, entries, *rules.machine, conventions, err);
  }
  // A user's stored Path is written with the profile's variables where
  // they are shorter: they name the same folders on every machine.
  if (rules.profile != nullptr && !rules.target) {
    decided.notes.profileVariable = ProfileVariablesForTheUser(
        written, entries, ProfileFoldersOf(*rules.profile, files), conventions);
  }
  if (rules.asGiven) {
    decided.text = std::string(given);
    return decided;
  }
  if (rules.target) {
    // A longer list is rewritten only as far as it takes, what lasts first.
    decided.plain = WriteEntries(entries, JunctionTable(), conventions);
    leaveOutListed(decided.plain);
    if (rules.machine != nullptr) {
      ShortNamesForTheMachine(decided.plain, entries, *rules.machine, conventions, err);
    }
    std::vector<std::string_view> givenOf(entries.size());
    ForEachRecord(resolved, written, decided.notes, [&givenOf](const EntryRecord& record) {
      if (record.resolvedIndex < givenOf.size()) givenOf[record.resolvedIndex] = record.given;
    });
    const std::size_t target = *rules.target;
    const std::size_t length =
        RewriteWithinTarget(target, written, decided.plain, entries, givenOf, rules.profile, files,
                            decided.notes.profileVariable);
    if (length > target) {
      err << "[the new list is " + std::to_string(length) + " characters long, " +
                 std::to_string(length - target) + " more than the target " +
                 std::to_string(target) + ": it is as short as the tool writes it]\n";
    }
  }
  decided.text = JoinEntries(written);
  return decided;
}

}  // namespace pathshrink
