#include "driver/entry_records.h"

#include "compact/path_list_syntax.h"

namespace pathshrink {

std::vector<EntryRecord> EntryRecords(const ResolvedList& resolved, const WrittenList& written,
                                      const EntryNotes& notes) {
  using Outcome = EntryRecord::Outcome;
  const std::vector<std::string_view>& split = resolved.split;
  std::vector<EntryRecord> records(split.size());
  // Resolving keeps the list's order: each given entry is a finding, a
  // resolved entry, or (kept as given) both.
  std::vector<std::size_t> givenOf;  // resolved index -> given index
  givenOf.reserve(resolved.entries.size());
  std::size_t next = 0;  // finding
  for (std::size_t i = 0; i < split.size(); ++i) {
    EntryRecord& record = records[i];
    record.given = split[i];
    const EntryFinding* finding = nullptr;
    if (next < resolved.findings.size() &&
        resolved.findings[next].given.data() == split[i].data() &&
        resolved.findings[next].given.size() == split[i].size()) {
      finding = &resolved.findings[next++];
    }
    if (finding == nullptr || finding->kind == EntryFinding::Kind::kUnchecked) {
      record.resolvedIndex = givenOf.size();
      givenOf.push_back(i);
    }
    if (finding == nullptr) {
      record.outcome = Outcome::kAsGiven;  // until it is seen written
      continue;
    }
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
  // Resolved entries that a junction made repeats of others.
  for (const auto& [dropped, kept] : written.repeats) {
    EntryRecord& record = records[givenOf[dropped]];
    record.outcome = Outcome::kRepeat;
    record.repeatOf = givenOf[kept];
  }
  for (std::size_t i = 0; i < notes.userChangeable.size(); ++i) {
    records[givenOf[i]].userChangeable = notes.userChangeable[i];
  }
  for (const WrittenEntry& entry : written.entries) {
    EntryRecord& record = records[givenOf[entry.resolvedIndex]];
    record.written = entry.text;
    if (record.outcome == Outcome::kUnchecked) continue;
    if (entry.resolvedIndex < notes.profileVariable.size() &&
        notes.profileVariable[entry.resolvedIndex]) {
      record.outcome = Outcome::kProfileVariable;
    } else if (!entry.junction.empty()) {
      record.outcome = Outcome::kJunction;
      record.junction = entry.junction;
    } else if (resolved.entries[entry.resolvedIndex].IsWrittenAsTyped()) {
      record.outcome = Outcome::kReference;
    } else {
      record.outcome = entry.text == record.given ? Outcome::kAsGiven : Outcome::kShortForm;
    }
  }
  return records;
}

std::vector<EntryRecord> AsGivenRecords(std::string_view list, const PathConventions& conventions) {
  std::vector<EntryRecord> records;
  for (const std::string_view entry : SplitPathList(list, conventions.win32Syntax)) {
    EntryRecord record;
    record.given = record.written = entry;
    records.push_back(record);
  }
  return records;
}

std::vector<std::size_t> CountOutcomes(const std::vector<EntryRecord>& records) {
  std::vector<std::size_t> counts(
      static_cast<std::size_t>(EntryRecord::Outcome::kControlCharacters) + 1);
  for (const EntryRecord& record : records) ++counts[static_cast<std::size_t>(record.outcome)];
  return counts;
}

}  // namespace pathshrink
