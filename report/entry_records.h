#pragma once

#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

#include "compact/compact_path_list.h"
#include "pathtext/path_conventions.h"

namespace pathshrink {

// What became of one entry of the list as given: the one record that the
// report's counts, --check and --json all read.
struct EntryRecord {
  enum class Outcome {
    kAsGiven,            // written as given: its spelling is as short as it gets
    kShortForm,          // written in a shorter spelling (its short form)
    kJunction,           // written through a junction
    kReference,          // judged by where its references lead, written with them
    kProfileVariable,    // written as a variable of the user's profile and the rest
    kUnchecked,          // kept as given: it cannot be judged (`why`)
    kMissing,            // left out: the system says it is not there
    kRepeat,             // left out: it names the directory of entry `repeatOf`
    kControlCharacters,  // left out: it holds a control character
    // Left out of a user's Path: the machine's Path, which a new window
    // searches first, lists its folder (as `machineEntry`).
    kListedByMachine,
    // Kept as given: the form the tool would write did not open to the
    // folder the given one did (a fault of the tool or the system, said).
    kUnproven,
  };
  std::string_view given;    // into the list
  std::string_view written;  // what the new list holds for it; empty when left out
  Outcome outcome = Outcome::kAsGiven;
  std::string_view why;       // kUnchecked
  std::string_view junction;  // kJunction: the junction's path
  std::size_t repeatOf = 0;   // kRepeat: the index of the given entry it repeats
  // For the machine's Path: the folder through which users other than
  // administrators could change it, or empty.
  std::string_view userChangeable;
  // Where it drifted: the folder it was written for, which it no longer
  // leads to (it is resolved as that folder).
  std::string_view writtenFor;
  // kListedByMachine: the machine's entry for its folder.
  std::string_view machineEntry;
  // kAsGiven, for want of a short name: why a folder on its way has none.
  std::string_view withoutShortName;
  // kUnproven: the form it would have been written in, which did not lead
  // to its folder.
  std::string_view unprovenForm;
  // Not in the list as stored: the tool left it out of a user's Path while
  // the machine's listed its folder, which the machine's no longer does.
  bool putBack = false;
  // Written otherwise than given, and seen to open to the folder the given
  // entry opened to.
  bool proved = false;
  // Where it was resolved: its index among the resolved entries, else npos.
  std::size_t resolvedIndex = static_cast<std::size_t>(-1);
};

// Every entry of the list in order, from what resolving found and what was
// written. The records point into the list, `resolved`, `written` and the
// junction table, which must outlive them.
// What else was found of the resolved entries, by resolved index; each may
// be empty where it was not asked.
struct EntryNotes {
  std::vector<std::string> userChangeable;    // what EntriesUsersCanChange found
  std::vector<bool> profileVariable;          // written with a profile variable
  std::vector<bool> proved;                   // seen to open to the folder given
  std::vector<std::string> unproven;          // kept as given: the form that led elsewhere
  std::vector<std::string> listedByMachine;   // a user's entry the machine's Path lists: its entry
  std::vector<std::string> withoutShortName;  // written as given for want of a short name: why
};

std::vector<EntryRecord> EntryRecords(const ResolvedList& resolved, const WrittenList& written,
                                      const EntryNotes& notes);
// The same, one record at a time, held by no one: a long list's records
// would take a quarter of a megabyte, which costs a run more to touch than
// to make them again.
using RecordVisit = std::function<void(const EntryRecord&)>;
void ForEachRecord(const ResolvedList& resolved, const WrittenList& written,
                   const EntryNotes& notes, const RecordVisit& visit);
// A walk over every entry's record, in order, as often as asked.
using RecordWalk = std::function<void(const RecordVisit&)>;

// The records of a list that comes back as given (within --target): what
// resolving found of each entry, each written as given all the same.
std::vector<EntryRecord> AsGivenRecords(const ResolvedList& resolved, const WrittenList& written,
                                        const EntryNotes& notes);

// Whether the new list holds the entry: written, or an outcome that keeps it.
inline bool Kept(const EntryRecord& record) {
  return !record.written.empty() || (record.outcome != EntryRecord::Outcome::kMissing &&
                                     record.outcome != EntryRecord::Outcome::kRepeat &&
                                     record.outcome != EntryRecord::Outcome::kListedByMachine &&
                                     record.outcome != EntryRecord::Outcome::kControlCharacters);
}

// How many records there are of each kind.
struct RecordCounts {
  std::vector<std::size_t> outcomes =
      std::vector<std::size_t>(static_cast<std::size_t>(EntryRecord::Outcome::kUnproven) + 1);
  std::size_t given = 0;
  std::size_t userChangeable = 0;  // with a folder users other than administrators can change
  std::size_t drifted = 0;         // written for another folder than they lead to now
  std::size_t shortened = 0;       // kept, and written otherwise than given
  std::size_t proved = 0;          // written otherwise than given, and seen to lead there
  std::size_t putBack = 0;         // put back where the machine's Path no longer lists them
  void Add(const EntryRecord& record);
  std::size_t Of(EntryRecord::Outcome outcome) const {
    return outcomes[static_cast<std::size_t>(outcome)];
  }
};
RecordCounts CountRecords(const RecordWalk& walk);

}  // namespace pathshrink
