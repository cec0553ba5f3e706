#include "cli/run_pathshrink.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "compact/compact_path_list.h"
#include "compact/junction_suggestions.h"
#include "compact/junction_table.h"
#include "compact/path_list_syntax.h"
#include "cli/command_line.h"
#include "report/entry_records.h"
#include "report/fleet_report.h"
#include "junctions/junction_registration.h"
#include "rewrite/lasting_names.h"
#include "sources/logon_environment.h"
#include "rewrite/machine_path.h"
#include "rewrite/ordinary_user_reach.h"
#include "junctions/planned_junctions.h"
#include "rewrite/profile_variables.h"
#include "report/report.h"
#include "sources/standard_input.h"
#include "store/stored_path.h"
#include "junctions/suggestion_script.h"
#include "rewrite/target_length.h"
#include "store/written_for.h"
#include "pathtext/path_parts.h"
#include "pathtext/path_spelling.h"

namespace pathshrink {
namespace {

using Source = CommandLine::Source;

// Whether what was written to standard output arrived: a list that was lost
// (a full disk, a closed pipe) must not look like success to whoever
// applies it.
int Delivered(std::ostream& out, std::ostream& err) {
  out.flush();
  if (out) return kExitDone;
  err << "[can't write standard output]\n";
  return kExitOutputFailed;
}

// Writes the result and makes sure it arrived.
int Deliver(std::string_view text, std::ostream& out, std::ostream& err) {
  out << text;
  return Delivered(out, err);
}

// How the command line that --suggest prints names the list again.
std::string SourceArguments(const CommandLine& line, const PathConventions& conventions) {
  switch (line.source) {
    case Source::kStandardInput:
      return "-";
    case Source::kEnvironment:
      return "--env " + line.variable;
    case Source::kUserPath:
      return "--user";
    case Source::kMachinePath:
      return "--machine";
    default:
      // Through the environment: PATH as an argument can lose its last
      // entry to a trailing '\' and its tail to a quoted entry.
      return conventions.win32Syntax ? "--env PATH" : "\"$LIST\"";
  }
}

// Where the list came from, and what its references mean.
struct ListSource {
  std::string_view list;  // into `owned`, or into an argument, which is never copied
  std::string owned;
  Scope scope = Scope::kUser;
  StoredValue stored;                     // --user, --machine: the value as read
  Environment* references = nullptr;      // none: an entry with %NAME% is text
  std::optional<LogonEnvironment> logon;  // what a stored REG_EXPAND_SZ Path means
  std::string writtenForFile;             // a stored Path's: what its entries were written for
  WrittenFor writtenFor;
};

// Reads the one source the command line names into `source`. A live list
// (an argument, standard input, a variable) is what programs search, and
// Windows never expands %NAME% there; a stored REG_EXPAND_SZ Path is
// expanded at the next logon, with the variables stored then.
int ReadSource(const CommandLine& line, const char* const* argv, SystemAccess& system,
               ListSource& source, std::ostream& err) {
  switch (line.source) {
    case Source::kNone:
    case Source::kArgument:
      source.list = argv[line.listIndex];
      return kExitDone;
    case Source::kStandardInput: {
      if (system.input == nullptr) {
        err << "[standard input cannot be read here]\n";
        return kExitUsage;
      }
      std::string bytes{std::istreambuf_iterator<char>(*system.input),
                        std::istreambuf_iterator<char>()};
      source.owned = ListFromStandardInput(std::move(bytes), system.files.Conventions().win32Syntax,
                                           system.decodeInputCodePage);
      source.list = source.owned;
      return kExitDone;
    }
    case Source::kEnvironment: {
      std::optional<std::string> value;
      if (system.environment != nullptr) value = system.environment->Variable(line.variable);
      if (!value) {
        err << "[environment variable '" + line.variable + "' is not set]\n";
        return kExitUsage;
      }
      source.owned = std::move(*value);
      source.list = source.owned;
      return kExitDone;
    }
    case Source::kUserPath:
    case Source::kMachinePath:
      break;
  }
  if (system.store == nullptr) {
    err << "[--user and --machine read the Path stored in the Windows registry;"
           " there is none here]\n";
    return kExitUsage;
  }
  source.scope = line.source == Source::kMachinePath ? Scope::kMachine : Scope::kUser;
  const std::string key = ScopeKeyName(source.scope);
  StoredValue& stored = source.stored;
  switch (system.store->Read(source.scope, "Path", stored)) {
    case StoreStatus::kOk:
      break;
    case StoreStatus::kNotFound:
      err << "[no Path is stored in " + key + "]\n";
      return kExitStoredUnreadable;
    case StoreStatus::kAccessDenied:
      err << "[access denied reading the Path in " + key + "]\n";
      return kExitStoredUnreadable;
    default:
      err << "[can't read the Path in " + key + "]\n";
      return kExitStoredUnreadable;
  }
  if (stored.type != StoredType::kString && stored.type != StoredType::kExpandString) {
    err << "[the Path in " + key + " is " + StoredTypeName(stored.type) +
               ", which Windows does not read as a list; nothing done]\n";
    return kExitStoredUnreadable;
  }
  if (const std::size_t nul = stored.text.find('\0'); nul != std::string::npos) {
    err << "[the Path in " + key + " holds a NUL character after " + std::to_string(nul) +
               " bytes, and Windows reads it only up to there; nothing done]\n";
    return kExitStoredUnreadable;
  }
  source.list = stored.text;
  // What the entries the tool stored before were written for, where it
  // kept that (beside the backups).
  const std::optional<std::string> appData =
      system.environment != nullptr ? system.environment->Variable("LOCALAPPDATA") : std::nullopt;
  if (appData && IsAbsolutePath(*appData, kWindowsConventions)) {
    source.writtenForFile = WrittenForFile(source.scope, *appData);
    std::string bytes;
    if (system.store->ReadFile(source.writtenForFile, bytes) == StoreStatus::kOk) {
      source.writtenFor = ParseWrittenFor(bytes);
    }
  }
  // Windows takes a REG_SZ value literally: a reference there leads
  // nowhere, and must not make a literal entry look like a repeat.
  if (stored.type == StoredType::kExpandString) {
    source.references = &source.logon.emplace(*system.store, source.scope);
  }
  return kExitDone;
}

// The records of drifted entries name the entry as stored and the folder
// it was written for.
void NoteDrift(std::string_view stored, const DriftCheck& drift, const PathConventions& conventions,
               std::vector<EntryRecord>& records) {
  if (drift.writtenFor.empty()) return;
  const std::vector<std::string_view> given = SplitPathList(stored, conventions.win32Syntax);
  for (std::size_t i = 0; i < records.size() && i < given.size(); ++i) {
    if (drift.writtenFor[i].empty()) continue;
    records[i].given = given[i];
    records[i].writtenFor = drift.writtenFor[i];
  }
}

// What each entry written otherwise than its folder's long path was
// written for: as known before, or its folder as given.
WrittenFor WrittenForOf(const std::vector<EntryRecord>& records,
                        const std::vector<ResolvedEntry>& entries, const WrittenFor& before) {
  using Outcome = EntryRecord::Outcome;
  WrittenFor memory;
  for (const EntryRecord& record : records) {
    if (record.written.empty() || record.resolvedIndex >= entries.size() ||
        record.outcome == Outcome::kUnchecked || record.outcome == Outcome::kReference ||
        record.outcome == Outcome::kProfileVariable) {
      continue;
    }
    std::string folder;
    if (!record.writtenFor.empty()) {
      folder = record.writtenFor;
    } else if (const auto known = before.find(std::string(record.given)); known != before.end()) {
      folder = known->second;
    } else {
      folder = entries[record.resolvedIndex].Given();
    }
    if (folder != record.written) memory[std::string(record.written)] = folder;
  }
  return memory;
}

// A folder for the machine's links that is not there yet, in the root of
// the system drive (as the logon knows it): l, then l2, l3, ...
std::string NewFolderForLinks(ListSource& source, FileSystemQueries& queries) {
  std::optional<std::string> drive;
  if (source.logon) drive = source.logon->Variable("SystemDrive");
  const std::string root = (drive && !drive->empty() ? *drive : std::string("C:")) + "\\";
  for (int n = 1;; ++n) {
    std::string folder = root + "l" + (n == 1 ? "" : std::to_string(n));
    std::string shortForm;
    if (!queries.ShortPathName(folder, shortForm) &&
        queries.WhyUnresolved(folder) == Unresolved::kMissing) {
      return folder;
    }
  }
}

// The facts a --check line or --json report says of where the list came
// from.
ReportFacts Facts(const CommandLine& line, const ListSource& source) {
  ReportFacts facts;
  switch (line.source) {
    case Source::kStandardInput:
      facts.source = "standardInput";
      break;
    case Source::kEnvironment:
      facts.source = "environment";
      facts.variable = line.variable;
      break;
    case Source::kUserPath:
    case Source::kMachinePath:
      facts.source = source.scope == Scope::kUser ? "user" : "machine";
      facts.valueType = source.stored.type;
      break;
    default:
      facts.source = "argument";
  }
  return facts;
}

// What names the user: the profile folder, as the logon or this process
// knows it, in its long and short spellings, and the user name.
Redactor RedactorFor(ListSource& source, SystemAccess& system) {
  const auto variable = [&](const char* windows, const char* posix) {
    Environment* logon = source.logon ? &*source.logon : nullptr;
    for (Environment* environment : {logon, system.environment}) {
      if (environment == nullptr) continue;
      if (auto value = environment->Variable(windows)) return *value;
      if (auto value = environment->Variable(posix)) return *value;
    }
    return std::string();
  };
  const std::string profile = variable("USERPROFILE", "HOME");
  std::string shortProfile;
  if (!profile.empty()) system.files.ShortPathName(profile, shortProfile);
  return Redactor({profile, shortProfile}, variable("USERNAME", "USER"),
                  system.files.Conventions().foldsCase);
}

// The whole tool; `answered` says whether --check gave its answer.
int Run(int argc, const char* const* argv, SystemAccess& system, std::ostream& out,
        std::ostream& err, bool& answered) {
  // Some systems start a program with no argument 0 at all.
  const std::string program = argc > 0 && argv[0] != nullptr ? argv[0] : "";
  if (argc < 2) {
    err << UsageLine(program);
    return kExitUsage;
  }
  FileSystemQueries& queries = system.files;
  const PathConventions conventions = queries.Conventions();

  const ParsedCommandLine parsed = ParseCommandLine(argc, argv);
  if (!parsed.complaint.empty()) {
    err << parsed.complaint + UsageForms(program);
    return kExitUsage;
  }
  const CommandLine& line = parsed.line;
  if (line.help) return Deliver(HelpText(conventions.win32Syntax), out, err);
  if (line.version) return Deliver("pathshrink " PATHSHRINK_VERSION "\n", out, err);
  if (line.source == Source::kNone) {
    err << UsageLine(program);
    return kExitUsage;
  }

  ListSource source;
  if (const int status = ReadSource(line, argv, system, source, err); status != kExitDone) {
    return status;
  }
  const std::string_view fullpath = source.list;

  // Where --suggest puts its links: a folder that is there.
  std::string linkFolder = line.junctionsInGiven
                               ? NormalizedPath(queries.AbsolutePath(line.junctionsIn), conventions)
                               : std::string();
  std::string folderShortForm;
  if (line.junctionsInGiven && !queries.ShortPathName(linkFolder, folderShortForm)) {
    err << "[the folder for the junctions '" + line.junctionsIn + "' does not exist]\n";
    return kExitUsage;
  }
  if (line.junctionsInGiven && !queries.IsDirectory(linkFolder)) {
    err << "[the folder for the junctions '" + line.junctionsIn + "' is not a folder]\n";
    return kExitUsage;
  }

  JunctionTable registered;  // in command-line order
  for (const std::string& junction : line.junctions) {
    RegisterJunction(junction, queries, registered, err);
  }
  // Every process searches the machine's Path: nothing in it runs through
  // a folder that users other than administrators can change.
  const bool forMachine = line.source == Source::kMachinePath;
  OrdinaryUserReach reach(queries);
  if (forMachine) registered = JunctionsForTheMachine(registered, reach, err);
  JunctionTable junctions = registered;
  OrderBySavings(junctions);

  // A stored entry that now leads elsewhere than the folder it was written
  // for is resolved as that folder.
  DriftCheck drift;
  std::string_view resolving = fullpath;
  if (!source.writtenFor.empty()) {
    drift = CheckDrift(fullpath, source.writtenFor, queries, err);
    resolving = drift.list;
  }
  const ResolvedList resolved = ResolveEntries(resolving, queries, {source.references});
  // With --target, a list within it comes back as given: nothing is left
  // out, and nothing is said to be.
  const bool asGiven = line.target && !line.suggest && Utf16Length(fullpath) <= *line.target;
  if (!asGiven) WriteFindings(resolved, line.verbose, err);
  const std::vector<ResolvedEntry>& entries = resolved.entries;
  EntryNotes notes;
  if (forMachine) notes.userChangeable = EntriesUsersCanChange(entries, reach, err);
  if (!line.suggest) {
    WrittenList written = WriteEntries(entries, junctions, conventions);
    if (forMachine) ShortNamesForTheMachine(written, entries, reach, conventions, err);
    // A user's stored Path is written with the profile's variables where
    // they are shorter: they name the same folders on every machine.
    Environment* profile =
        line.source == Source::kUserPath && source.logon ? &*source.logon : nullptr;
    if (profile != nullptr && !line.target) {
      notes.profileVariable = ProfileVariablesForTheUser(written, entries, *profile, conventions);
    }
    if (line.verbose) WriteRepeatsMadeByJunctions(resolved, written, err);
    PathList newList;
    // With --target, a longer list is rewritten only as far as it takes,
    // what lasts first.
    WrittenList plain;  // where the short forms without junctions live
    if (asGiven) {
      newList = std::string(fullpath);
    } else if (line.target) {
      plain = WriteEntries(entries, JunctionTable(), conventions);
      if (forMachine) ShortNamesForTheMachine(plain, entries, reach, conventions, err);
      std::vector<std::string_view> givenOf(entries.size());
      ForEachRecord(resolved, written, notes, [&givenOf](const EntryRecord& record) {
        if (record.resolvedIndex < givenOf.size()) givenOf[record.resolvedIndex] = record.given;
      });
      const std::size_t length = RewriteWithinTarget(*line.target, written, plain, entries, givenOf,
                                                     profile, queries, notes.profileVariable);
      if (length > *line.target) {
        err << "[the new list is " + std::to_string(length) + " characters long, " +
                   std::to_string(length - *line.target) + " more than the target " +
                   std::to_string(*line.target) + ": it is as short as the tool writes it]\n";
      }
    }
    if (!asGiven) newList = JoinEntries(written);
    std::vector<UseWarning> warnings =
        WarningsAboutUse(newList, system.outputReadInOtherCodePage, conventions);
    if (conventions.win32Syntax && !asGiven) {
      FragileShortNames(written, entries, queries, warnings);
      VolumesWithoutShortNames(written, entries, queries, warnings);
    }
    WriteWarnings(warnings, err);
    WriteReport(fullpath, newList, err);
    int status = kExitDone;
    StoreOutcome stored;
    if (line.write) {
      status = StorePath(source.scope, source.stored, newList, *system.store, system.environment,
                         err, stored);
    }
    // Every entry's record: held where they are kept (what each entry was
    // written for) or changed (drift), else made afresh on each walk.
    std::vector<EntryRecord> records;
    RecordWalk walk;
    if (stored.stored || asGiven || !drift.writtenFor.empty()) {
      records =
          asGiven ? AsGivenRecords(fullpath, conventions) : EntryRecords(resolved, written, notes);
      NoteDrift(fullpath, drift, conventions, records);
      walk = [&records](const RecordVisit& visit) {
        for (const EntryRecord& record : records) visit(record);
      };
    } else {
      walk = [&](const RecordVisit& visit) { ForEachRecord(resolved, written, notes, visit); };
    }
    if (stored.stored && !source.writtenForFile.empty()) {
      // What each entry was written for, for the runs to come.
      const std::string memory =
          FormatWrittenFor(WrittenForOf(records, entries, source.writtenFor));
      if (system.store->OverwriteFile(source.writtenForFile, memory) != StoreStatus::kOk) {
        err << "[can't keep what the entries were written for in '" + source.writtenForFile +
                   "']\n";
      }
    }
    const bool inState = newList == fullpath;
    if (line.check && status == kExitDone && !inState) status = kExitCheckWouldChange;
    int delivered = kExitDone;
    if (line.check || line.json) {
      ReportFacts facts = Facts(line, source);
      facts.before = fullpath;
      facts.after = newList;
      facts.records = walk;
      facts.counts = CountRecords(walk);
      facts.driftChecked = line.source == Source::kUserPath || line.source == Source::kMachinePath;
      facts.warnings = std::move(warnings);
      facts.backup = stored.backup;
      facts.stored = stored.stored;
      facts.inState = inState;
      facts.exitStatus = status;
      const Redactor redact = line.redact ? RedactorFor(source, system) : Redactor();
      if (line.json) {
        WriteJsonReport(facts, redact, out);
        delivered = Delivered(out, err);
      } else {
        delivered = Deliver(CheckLine(facts, redact), out, err);
      }
    } else {
      newList.push_back('\n');
      delivered = Deliver(newList, out, err);
    }
    if (stored.stored && delivered != kExitDone) {
      err << "[the new Path was stored all the same]\n";
    }
    answered = line.check && delivered == kExitDone;
    return delivered != kExitDone ? delivered : status;
  }

  // For the machine's Path, the links go in a folder that only
  // administrators and SYSTEM can change: one named, or one the script makes.
  std::string restrictedFolder;
  if (forMachine && line.junctionsInGiven) {
    const std::string through = reach.ChangeableOnTheWay(linkFolder, true, true);
    if (!through.empty()) {
      err << "[the folder for the junctions '" + line.junctionsIn +
                 "' can be changed by users other than administrators (through '" + through +
                 "'): for the machine's Path, name one that only administrators can change, or"
                 " none]\n";
      return kExitUsage;
    }
  } else if (forMachine) {
    restrictedFolder = linkFolder = NewFolderForLinks(source, queries);
  }

  // The proposals are registered as the tool will register them once they
  // exist, after the given junctions, and the list written with them all.
  std::vector<SuggestedJunction> proposals =
      SuggestJunctions(entries, junctions, linkFolder, queries);
  if (line.target) {
    // Only as many as it takes to reach the target: the first k, for the
    // least k that does (all of them where none does).
    for (std::size_t k = 0; k < proposals.size(); ++k) {
      const std::vector<SuggestedJunction> first(
          proposals.begin(), proposals.begin() + static_cast<std::ptrdiff_t>(k));
      PlannedJunctions trial(queries, first, restrictedFolder);
      JunctionTable table = registered;
      std::ostringstream quiet;
      for (const SuggestedJunction& proposal : first) {
        RegisterJunction(proposal.link, trial, table, quiet);
      }
      OrderBySavings(table);
      if (Utf16Length(JoinEntries(WriteEntries(entries, table, conventions))) <= *line.target) {
        proposals.resize(k);
        break;
      }
    }
  }
  PlannedJunctions planned(queries, proposals, restrictedFolder);
  for (const SuggestedJunction& proposal : proposals) {
    RegisterJunction(proposal.link, planned, registered, err);
  }
  const std::size_t without = JoinEntries(WriteEntries(entries, junctions, conventions)).size();
  junctions = registered;
  OrderBySavings(junctions);
  const PathList newList = JoinEntries(WriteEntries(entries, junctions, conventions));
  WriteReport(fullpath, newList, err);
  return Deliver(
      SuggestionScript(proposals, line.junctions, {without, newList.size()},
                       SourceArguments(line, conventions), restrictedFolder, conventions),
      out, err);
}

}  // namespace

int RunPathShrink(int argc, const char* const* argv, SystemAccess system, std::ostream& out,
                  std::ostream& err) {
  bool answered = false;
  const int status = Run(argc, argv, system, out, err, answered);
  // A detection script must never take a call that could not be answered
  // (a typo, an unset variable) for "not in the desired state".
  const bool checking = std::any_of(argv + std::min(argc, 1), argv + argc, [](const char* arg) {
    return arg != nullptr && std::string_view(arg) == "--check";
  });
  if (checking && !answered && status == kExitUsage) return kExitCheckUnanswered;
  return status;
}

int RunPathShrink(int argc, const char* const* argv, FileSystemQueries& queries, std::ostream& out,
                  std::ostream& err) {
  SystemAccess system{queries};
  return RunPathShrink(argc, argv, system, out, err);
}

}  // namespace pathshrink
