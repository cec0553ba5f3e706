#include "report/entry_records.h"

#include <functional>

#include "compact/path_list_syntax.h"

namespace pathshrink {

void ForEachRecord(const ResolvedList& resolved, const WrittenList& written,
                   const EntryNotes& notes, const RecordVisit& visit) {
  using Outcome = EntryRecord::Outcome;
  constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  // By resolved entry: how it was written, or which entry a junction made
  // it repeat. Resolving keeps the list's order, so one walk in that order
  // meets every resolved entry after the ones it can repeat.
  std::vector<std::size_t> writtenAt(resolved.entries.size(), kNone);
  for (std::size_t w = 0; w < written.entries.size(); ++w) {
    writtenAt[written.entries[w].resolvedIndex] = w;
  }
  std::vector<std::size_t> repeatsThroughJunction(resolved.entries.size(), kNone);
  for (const auto& [dropped, kept] : written.repeats) repeatsThroughJunction[dropped] = kept;
  std::vector<std::size_t> givenOf;  // resolved index -> given index
  givenOf.reserve(resolved.entries.size());
  std::size_t next = 0;  // finding
  const std::vector<std::string_view>& split = resolved.split;
  for (std::size_t i = 0; i < split.size(); ++i) {
    EntryRecord record;
    record.given = split[i];
    // Each given entry is a finding, a resolved entry, or (kept as given)
    // both.
    const EntryFinding* finding = nullptr;
    if (next < resolved.findings.size() &&
        resolved.findings[next].given.data() == split[i].data() &&
        resolved.findings[next].given.size() == split[i].size()) {
      finding = &resolved.findings[next++];
    }
    if (finding != nullptr) {
      switch (finding->kind) {
        case EntryFinding::Kind::kInvalid:
          record.outcome = Outcome::kMissing;
          break;
        case EntryFinding::Kind::kControlCharacters:
          record.outcome = Outcome::kControlCharacters;
          break;
        case EntryFinding::Kind::kRepeat:
          record.outcome = Outcome::kRepeat;
          record.repeatOf = givenOf[finding->repeats];
          break;
        case EntryFinding::Kind::kUnchecked:
          record.outcome = Outcome::kUnchecked;
          record.why = finding->why;
          break;
      }
    }
    if (finding == nullptr || finding->kind == EntryFinding::Kind::kUnchecked) {
      const std::size_t r = givenOf.size();
      record.resolvedIndex = r;
      givenOf.push_back(i);
      if (r < notes.userChangeable.size()) record.userChangeable = notes.userChangeable[r];
      if (r < notes.listedByMachine.size() && !notes.listedByMachine[r].empty()) {
        record.outcome = Outcome::kListedByMachine;
        record.machineEntry = notes.listedByMachine[r];
      } else if (repeatsThroughJunction[r] != kNone) {
        record.outcome = Outcome::kRepeat;
        record.repeatOf = givenOf[repeatsThroughJunction[r]];
      } else if (writtenAt[r] != kNone) {
        const WrittenEntry& entry = written.entries[writtenAt[r]];
        record.written = entry.text;
        if (record.outcome == Outcome::kUnchecked) {
          // kept as given, as said
        } else if (r < notes.unproven.size() && !notes.unproven[r].empty()) {
          record.outcome = Outcome::kUnproven;
          record.unprovenForm = notes.unproven[r];
        } else if (r < notes.profileVariable.size() && notes.profileVariable[r]) {
          record.outcome = Outcome::kProfileVariable;
        } else if (!entry.junction.empty()) {
          record.outcome = Outcome::kJunction;
          record.junction = entry.junction;
        } else if (resolved.entries[r].IsWrittenAsTyped()) {
          record.outcome = Outcome::kReference;
        } else {
          record.outcome = entry.text == record.given ? Outcome::kAsGiven : Outcome::kShortForm;
          if (record.outcome == Outcome::kAsGiven && r < notes.withoutShortName.size()) {
            record.withoutShortName = notes.withoutShortName[r];
          }
        }
      }
    }
    if (record.resolvedIndex < notes.proved.size())
      record.proved = notes.proved[record.resolvedIndex];
    visit(record);
  }
}

std::vector<EntryRecord> EntryRecords(const ResolvedList& resolved, const WrittenList& written,
                                      const EntryNotes& notes) {
  std::vector<EntryRecord> records;
  records.reserve(resolved.split.size());
  ForEachRecord(resolved, written, notes,
                [&records](const EntryRecord& record) { records.push_back(record); });
  return records;
}

std::vector<EntryRecord> AsGivenRecords(const ResolvedList& resolved, const WrittenList& written,
                                        const EntryNotes& notes) {
  std::vector<EntryRecord> records = EntryRecords(resolved, written, notes);
  for (EntryRecord& record : records) {
    record.written = record.given;
    // Kept as given, a shorter spelling it might have had is not written.
    if (record.outcome == EntryRecord::Outcome::kShortForm ||
        record.outcome == EntryRecord::Outcome::kJunction ||
        record.outcome == EntryRecord::Outcome::kProfileVariable) {
      record.outcome = EntryRecord::Outcome::kAsGiven;
      record.junction = {};
    }
  }
  return records;
}

void RecordCounts::Add(const EntryRecord& record) {
  if (!record.putBack) ++given;  // a put-back entry is not in the list as given
  ++outcomes[static_cast<std::size_t>(record.outcome)];
  if (!record.userChangeable.empty()) ++userChangeable;
  if (!record.writtenFor.empty()) ++drifted;
  // Proved counts what is written otherwise than given (under --target, an
  // entry may have been proved and then kept as given).
  if (record.proved && record.written != record.given) ++proved;
  if (record.putBack) ++putBack;
  if (!record.written.empty() && record.written != record.given &&
      record.outcome != EntryRecord::Outcome::kUnchecked) {
    ++shortened;
  }
}

RecordCounts CountRecords(const RecordWalk& walk) {
  RecordCounts counts;
  walk([&counts](const EntryRecord& record) { counts.Add(record); });
  return counts;
}

}  // namespace pathshrink
