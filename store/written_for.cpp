#include "store/written_for.h"

#include <algorithm>
#include <optional>

#include "compact/path_list_syntax.h"
#include "pathtext/path_conventions.h"
#include "pathtext/path_key.h"
#include "pathtext/path_parts.h"

namespace pathshrink {
namespace {

constexpr std::string_view kHeader = "pathshrink written-for 2";
constexpr std::string_view kFirstHeader = "pathshrink written-for 1";  // before left-out lines

// Where a path leads now, as far as the system can tell.
struct Whereabouts {
  std::optional<DirectoryIdentity> identity;  // the directory it opens to
  std::string shortForm;                      // its short form, where it has one
  bool gone = false;                          // the system says it is not there
  bool Known() const { return identity || !shortForm.empty() || gone; }
  bool There() const { return identity || !shortForm.empty(); }
};

Whereabouts Locate(const std::string& path, FileSystemQueries& files) {
  const PathConventions conventions = files.Conventions();
  Whereabouts where;
  if (!IsAbsolutePath(path, conventions)) return where;
  const std::string normalized = NormalizedPath(path, conventions);
  where.identity = files.Identity(normalized);
  std::string answer;
  if (files.ShortPathName(normalized, answer)) {
    where.shortForm = NormalizedPath(std::move(answer), conventions);
  } else if (!where.identity) {
    where.gone = files.WhyUnresolved(normalized) == Unresolved::kMissing;
  }
  return where;
}

// Whether two paths that are both there lead to one folder: by the
// directories they open to where both can be opened, else by their short
// forms.
bool OneFolder(const Whereabouts& a, const Whereabouts& b, const PathConventions& conventions) {
  if (a.identity && b.identity) return *a.identity == *b.identity;
  return !a.shortForm.empty() &&
         PathKey(a.shortForm, conventions) == PathKey(b.shortForm, conventions);
}

}  // namespace

std::string WrittenForFile(Scope scope, const std::string& localAppData) {
  std::string folder = localAppData;
  if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
  return folder + "pathshrink\\Path-" + (scope == Scope::kMachine ? "machine" : "user") +
         ".written-for";
}

// A left-out line's fields after its "*": place, entry, the machine's
// entry; false where they are not those.
bool ParseLeftOut(std::string_view fields, LeftOut& leftOut) {
  const std::size_t first = fields.find('\t');
  const std::size_t second = first == std::string_view::npos ? first : fields.find('\t', first + 1);
  if (second == std::string_view::npos || first == 0 || first > 9) return false;
  const std::string_view place = fields.substr(0, first);
  const std::string_view entry = fields.substr(first + 1, second - first - 1);
  const std::string_view machine = fields.substr(second + 1);
  if (place.find_first_not_of("0123456789") != std::string_view::npos || entry.empty() ||
      machine.empty() || HoldsControlCharacter(entry) || HoldsControlCharacter(machine)) {
    return false;
  }
  leftOut.place = std::stoul(std::string(place));
  leftOut.entry = std::string(entry);
  leftOut.machineEntry = std::string(machine);
  return true;
}

WrittenFor ParseWrittenFor(std::string_view bytes, std::size_t& ignored,
                           std::vector<LeftOut>* leftOut) {
  WrittenFor memory;
  ignored = 0;
  bool first = true;
  bool ofThisKind = true;
  while (!bytes.empty()) {
    std::size_t end = bytes.find('\n');
    std::string_view line = bytes.substr(0, end);
    bytes = end == std::string_view::npos ? std::string_view() : bytes.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (first) {
      first = false;
      ofThisKind = line == kHeader || line == kFirstHeader;
      if (ofThisKind) continue;
    }
    if (line.empty()) continue;
    if (ofThisKind && line.rfind("*\t", 0) == 0) {
      LeftOut out;
      if (!ParseLeftOut(line.substr(2), out)) {
        ++ignored;
      } else if (leftOut != nullptr) {
        leftOut->push_back(std::move(out));
      }
      continue;
    }
    const std::size_t tab = line.find('\t');
    // Nothing else is trusted: a relative folder would be written as an
    // entry that counts from wherever a program runs.
    if (!ofThisKind || tab == std::string_view::npos || tab == 0 || tab + 1 == line.size() ||
        HoldsControlCharacter(line.substr(0, tab)) || HoldsControlCharacter(line.substr(tab + 1)) ||
        !IsAbsolutePath(line.substr(tab + 1), kWindowsConventions)) {
      ++ignored;
      continue;
    }
    memory[std::string(line.substr(0, tab))] = std::string(line.substr(tab + 1));
  }
  return memory;
}

std::string FormatWrittenFor(const WrittenFor& memory, const std::vector<LeftOut>& leftOut) {
  std::string text = std::string(kHeader) + "\r\n";
  for (const auto& [written, folder] : memory) {
    text.append(written).append("\t").append(folder).append("\r\n");
  }
  for (const LeftOut& out : leftOut) {
    text.append("*\t").append(std::to_string(out.place)).append("\t").append(out.entry);
    text.append("\t").append(out.machineEntry).append("\r\n");
  }
  return text;
}

DriftCheck CheckDrift(std::string_view stored, const WrittenFor& memory, FileSystemQueries& files,
                      Environment* references, std::ostream& err) {
  const PathConventions conventions = files.Conventions();
  DriftCheck check;
  const std::vector<std::string_view> entries = SplitPathList(stored, true);
  check.writtenFor.resize(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (i > 0) check.list += ';';
    const std::string entry(entries[i]);
    const auto found = memory.find(entry);
    std::string leads = Unquoted(entry);
    if (found != memory.end() && HoldsEnvironmentReference(leads)) {
      const Expansion expansion =
          references != nullptr ? ExpandReferences(leads, *references) : Expansion();
      leads = references != nullptr && expansion.outcome == Expansion::kExpanded ? expansion.text
                                                                                 : std::string();
    }
    if (found == memory.end() || leads.empty()) {
      check.list += entry;
      continue;
    }
    const std::string& folder = found->second;
    const Whereabouts now = Locate(leads, files);
    const Whereabouts meant = Locate(folder, files);
    // What cannot be judged now stays as it is; so does what leads where
    // it was written for.
    if (!now.Known() || !meant.Known() ||
        (now.There() && meant.There() && OneFolder(now, meant, conventions))) {
      check.list += entry;
      continue;
    }
    std::string line = "[entry '";
    line.append(entry).append("' was written for '").append(folder).append("'");
    line += meant.gone ? ", which is gone," : "";
    // The folder it leads to, as a person knows it: its long path.
    std::string there = now.shortForm.empty() ? leads : now.shortForm;
    files.LongPathName(there, there);
    line += now.gone ? " and now leads nowhere" : " and now leads to '" + there + "'";
    line += meant.gone ? "; left out]\n" : "; written for '" + folder + "' again]\n";
    err << line;
    check.writtenFor[i] = folder;
    check.list += folder.find(';') != std::string::npos ? QuotedForList(folder) : folder;
  }
  return check;
}

std::vector<LeftOut> PutBackLeftOut(const std::vector<LeftOut>& leftOut,
                                    const ListedFolders& machine, FileSystemQueries& files,
                                    Environment* references, DriftCheck& check, std::ostream& err) {
  std::vector<LeftOut> still;
  if (leftOut.empty()) return still;
  const std::vector<std::string_view> split = SplitPathList(check.list, true);
  std::vector<std::string> entries(split.begin(), split.end());
  check.writtenFor.resize(entries.size());
  check.putBack.assign(entries.size(), false);
  std::vector<LeftOut> ordered = leftOut;
  std::stable_sort(ordered.begin(), ordered.end(),
                   [](const LeftOut& a, const LeftOut& b) { return a.place < b.place; });
  // The directory each entry of the list opens to, asked only once an
  // entry is to go back.
  std::vector<std::optional<DirectoryIdentity>> opened;
  const auto listed = [&](const DirectoryIdentity& identity) {
    if (opened.empty()) {
      for (const std::string& entry : entries) {
        opened.push_back(EntryOpensTo(entry, references, files));
      }
    }
    return std::any_of(opened.begin(), opened.end(),
                       [&identity](const auto& other) { return other && *other == identity; });
  };
  std::size_t inserted = 0;  // put back so far, each before the ones after it
  for (const LeftOut& out : ordered) {
    const std::string key = FoldCase(out.entry);
    // Typed in again by hand: nothing to put back, nothing to remember.
    if (std::any_of(entries.begin(), entries.end(),
                    [&key](const std::string& entry) { return FoldCase(entry) == key; })) {
      continue;
    }
    const ResolvedList resolved = ResolveEntries(out.entry, files, {references});
    if (resolved.entries.empty()) {
      // Gone for good is forgotten; anything else is kept to judge again.
      const bool gone = !resolved.findings.empty() &&
                        resolved.findings.front().kind == EntryFinding::Kind::kInvalid;
      if (!gone) still.push_back({out.place + inserted, out.entry, out.machineEntry});
      continue;
    }
    const ResolvedEntry& entry = resolved.entries.front();
    // Where it opens: as resolved, or, written with references (of
    // Windows' own, or it would not have been left out), where they lead.
    std::optional<DirectoryIdentity> identity = resolved.identities.front();
    if (!identity && entry.IsWrittenAsTyped()) {
      identity = EntryOpensTo(out.entry, references, files);
    }
    if (!identity || machine.Find(entry, &*identity) != nullptr) {
      still.push_back({out.place + inserted, out.entry, out.machineEntry});
      continue;
    }
    // In the list again in another spelling: the user's stays.
    if (listed(*identity)) continue;
    const std::size_t at = std::min(out.place + inserted, entries.size());
    ++inserted;
    if (!opened.empty()) opened.insert(opened.begin() + static_cast<std::ptrdiff_t>(at), identity);
    entries.insert(entries.begin() + static_cast<std::ptrdiff_t>(at), out.entry);
    check.writtenFor.insert(check.writtenFor.begin() + static_cast<std::ptrdiff_t>(at), "");
    check.putBack.insert(check.putBack.begin() + static_cast<std::ptrdiff_t>(at), true);
    err << "[entry '" + out.entry + "' put back as entry " + std::to_string(at + 1) +
               ": the machine's Path no longer lists its folder (it listed it as '" +
               out.machineEntry + "')]\n";
  }
  check.list.clear();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (i > 0) check.list += ';';
    check.list += entries[i];
  }
  return still;
}

void NoteDrift(std::string_view stored, const DriftCheck& drift, const PathConventions& conventions,
               std::vector<EntryRecord>& records) {
  if (drift.writtenFor.empty()) return;
  const std::vector<std::string_view> given = SplitPathList(stored, conventions.win32Syntax);
  std::size_t storedIndex = 0;  // the records of entries put back have none
  for (std::size_t i = 0; i < records.size(); ++i) {
    if (i < drift.putBack.size() && drift.putBack[i]) {
      records[i].putBack = true;
      continue;
    }
    const std::size_t s = storedIndex++;
    if (i >= drift.writtenFor.size() || drift.writtenFor[i].empty() || s >= given.size()) continue;
    records[i].given = given[s];
    records[i].writtenFor = drift.writtenFor[i];
  }
}

std::vector<LeftOut> LeftOutOf(const std::vector<EntryRecord>& records,
                               const std::vector<LeftOut>& still) {
  std::vector<LeftOut> leftOut;
  // keptBefore[i]: how many of the first i records the list keeps.
  std::vector<std::size_t> keptBefore(records.size() + 1, 0);
  for (std::size_t i = 0; i < records.size(); ++i) {
    const EntryRecord& record = records[i];
    if (record.outcome == EntryRecord::Outcome::kListedByMachine) {
      leftOut.push_back(
          {keptBefore[i], std::string(record.given), std::string(record.machineEntry)});
    }
    keptBefore[i + 1] = keptBefore[i] + (Kept(record) ? 1 : 0);
  }
  for (const LeftOut& out : still) {
    leftOut.push_back(
        {keptBefore[std::min(out.place, records.size())], out.entry, out.machineEntry});
  }
  return leftOut;
}

WrittenFor WrittenForOf(const std::vector<EntryRecord>& records,
                        const std::vector<ResolvedEntry>& entries, const WrittenFor& before,
                        Environment* references) {
  using Outcome = EntryRecord::Outcome;
  WrittenFor memory;
  for (const EntryRecord& record : records) {
    if (record.written.empty() || record.resolvedIndex >= entries.size() ||
        record.outcome == Outcome::kUnchecked) {
      continue;
    }
    std::string folder;
    if (!record.writtenFor.empty()) {
      folder = record.writtenFor;
    } else if (const auto known = before.find(std::string(record.given)); known != before.end()) {
      folder = known->second;
    } else if (record.outcome == Outcome::kReference) {
      // Written with its references and the rest shortened: the folder is
      // where the references lead.
      if (record.written == record.given || references == nullptr) continue;
      const Expansion expansion = ExpandReferences(Unquoted(record.given), *references);
      if (expansion.outcome != Expansion::kExpanded) continue;
      folder = expansion.text;
    } else {
      folder = entries[record.resolvedIndex].Given();
    }
    if (folder != record.written) memory[std::string(record.written)] = folder;
  }
  return memory;
}

}  // namespace pathshrink
