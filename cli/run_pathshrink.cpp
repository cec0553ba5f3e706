#include "cli/run_pathshrink.h"

#include <algorithm>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/command_line.h"
#include "cli/run_plan.h"
#include "compact/path_list_syntax.h"
#include "junctions/junction_advice.h"
#include "programs/program_search.h"
#include "report/entry_records.h"
#include "report/explain_table.h"
#include "report/fleet_report.h"
#include "report/redactor.h"
#include "report/report.h"
#include "report/shadows_report.h"
#include "rewrite/entry_proof.h"
#include "rewrite/entry_writing.h"
#include "rewrite/lasting_names.h"
#include "rewrite/machine_path.h"
#include "sources/logon_environment.h"
#include "sources/new_window.h"
#include "store/setx_cut.h"
#include "store/stored_path.h"
#include "store/written_for.h"

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

// Said before the usage where the command line names no list.
const std::string kNoList =
    "[no list given: name one as an argument, - (standard input), --env NAME, --user or "
    "--machine]\n";

// Reads the command line into `parsed`. Returns the status where the run
// ends here: an argument not understood, no source, --help, --version.
std::optional<int> ReadCommandLine(int argc, const char* const* argv, const std::string& program,
                                   bool windows, std::ostream& out, std::ostream& err,
                                   ParsedCommandLine& parsed) {
  if (argc < 2) {
    err << kNoList + UsageLine(program);
    return kExitUsage;
  }
  parsed = ParseCommandLine(argc, argv);
  if (!parsed.complaint.empty()) {
    err << parsed.complaint + UsageForms(program);
    return kExitUsage;
  }
  const CommandLine& line = parsed.line;
  if (line.help) return Deliver(HelpText(windows), out, err);
  if (line.version) return Deliver("pathshrink " PATHSHRINK_VERSION "\n", out, err);
  if (line.source == Source::kNone) {
    err << kNoList + UsageLine(program);
    return kExitUsage;
  }
  return std::nullopt;
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

// --suggest: the script of the junctions to make, in place of the list.
int Suggest(RunPlan& plan, const ResolvedRun& resolved, FileSystemQueries& files, std::ostream& out,
            std::ostream& err) {
  // What resolving found of each entry, before the proposals.
  const WrittenList none;
  WriteEntryLines(
      [&](const RecordVisit& visit) { ForEachRecord(resolved.list, none, resolved.found, visit); },
      resolved.list, plan.line.verbose, err);
  const CommandLine& line = plan.line;
  AdviceRequest request;
  request.given = plan.source.list;
  request.entries = &resolved.list.entries;
  request.registered = &plan.registered;
  request.junctions = &plan.junctions;
  request.typed = &line.junctions;
  request.linkFolder = plan.linkFolder;
  request.target = line.target;
  request.sourceArguments = SourceArguments(line, plan.conventions);
  // For the machine's Path, the links go in a folder that only
  // administrators and SYSTEM can change: one named, or one the script makes.
  if (plan.forMachine && line.junctionsInGiven) {
    const std::string through = plan.reach.ChangeableOnTheWay(plan.linkFolder, true, true);
    if (!through.empty()) {
      err << "[the folder for the junctions '" + line.junctionsIn +
                 "' can be changed by users other than administrators (through '" + through +
                 "'): for the machine's Path, name one that only administrators can change, or"
                 " none]\n";
      return kExitUsage;
    }
  } else if (plan.forMachine) {
    Environment* logon = plan.source.References();
    const std::optional<std::string> drive =
        logon != nullptr ? logon->Variable("SystemDrive") : std::nullopt;
    request.restrictedFolder = request.linkFolder = NewFolderForLinks(drive.value_or(""), files);
    if (request.linkFolder.empty()) {
      err << "[no folder for the machine's links can be made in the root of the system drive '" +
                 drive.value_or("C:") +
                 "': it is not there, does not answer, or holds every name tried; name one with"
                 " --junctions-in]\n";
      return kExitUsage;
    }
  }
  return Deliver(AdviseJunctions(request, files, err), out, err);
}

// What a run came to before its result is delivered.
struct RunOutcome {
  std::size_t proved = 0;  // entries written otherwise than given, seen to lead there
  int status = kExitDone;
  StoreOutcome stored;
  std::vector<UseWarning> warnings;
  std::optional<NewWindowLengths> newWindow;
  std::optional<Shadows> shadows;
  SetxCut setxCut;  // the stored Path bears setx's mark
};

// A new window's PATH with `text` as the stored Path's value: the
// machine's, then the user's, each as the logon expands it (with the
// stored list's own logon; a REG_SZ value as it stands); the stored one's
// alone where the other's could not be read.
std::string WindowPath(const RunPlan& plan, const std::string& text) {
  const StoredList& stored = *plan.source.stored;
  std::string mine = stored.logon ? stored.logon->Expanded(text) : text;
  if (!plan.otherExpanded) return mine;
  return NewWindowPath(stored.scope == Scope::kUser ? NewWindowParts{*plan.otherExpanded, mine}
                                                    : NewWindowParts{mine, *plan.otherExpanded});
}

// --user, --machine: a new window's PATH before and after, where the other
// scope's could be read.
std::optional<NewWindowLengths> NewWindow(const RunPlan& plan, const DecidedList& decided) {
  if (!plan.otherExpanded || !plan.source.stored) return std::nullopt;
  const bool user = plan.source.stored->scope == Scope::kUser;
  const auto text = [&](const std::string& mine) {
    return NewWindowText{WindowPath(plan, mine), user ? plan.otherStored : mine,
                         user ? mine : plan.otherStored};
  };
  return LengthsOf(text(plan.source.stored->value.text), text(decided.text));
}

// --shadows: the names more than one folder of the new list answers to
// (for a stored Path, of a new window's whole PATH), searched as that
// window would: PATHEXT and the Windows folder from the logon's variables
// for a stored Path, from this process's for a live list.
std::optional<Shadows> ShadowsOf(const RunPlan& plan, const DecidedList& decided,
                                 SystemAccess& system, std::ostream& err) {
  if (!plan.line.shadows) return std::nullopt;
  const bool windows = plan.conventions.win32Syntax;
  std::optional<LogonEnvironment> logon;
  Environment* environment = system.environment;
  std::string path = decided.text;
  if (plan.source.stored) {
    path = WindowPath(plan, decided.text);
    environment = &logon.emplace(*system.store, Scope::kUser);
  }
  ProgramSearch search;
  search.windows = windows;
  for (const std::string_view entry : SplitPathList(path, windows)) {
    std::string folder = windows ? Unquoted(entry) : std::string(entry);
    if (!folder.empty()) search.folders.push_back(std::move(folder));
  }
  const auto variable = [environment](const char* name) {
    return environment != nullptr ? environment->Variable(name) : std::nullopt;
  };
  if (windows) {
    if (const std::optional<std::string> pathext = variable("PATHEXT")) search.pathext = *pathext;
    if (const std::optional<std::string> root = variable("SystemRoot")) {
      search.windowsFolder = *root;
      search.systemFolder =
          *root + (root->empty() || root->back() != '\\' ? "\\" : "") + "System32";
    }
    if (!variable("NoDefaultCurrentDirectoryInExePath")) {
      err << "[cmd.exe looks in the current folder before the PATH"
             " (NoDefaultCurrentDirectoryInExePath is not set); it is not listed here]\n";
    }
  }
  Shadows shadows = FindShadows(search, system.files);
  err << ShadowsFindings(shadows);
  return shadows;
}

// What may go wrong with the new list where it is used: its length, its
// letters, a stored value setx cut, short names that may not last and
// volumes that make none (which each such entry's note says too).
void JudgeUse(const RunPlan& plan, const ResolvedRun& resolved, DecidedList& decided,
              SystemAccess& system, RunOutcome& outcome) {
  std::vector<UseWarning>& warnings = outcome.warnings;
  warnings = WarningsAboutUse(decided.text, system.outputReadInOtherCodePage, plan.conventions);
  if (plan.source.stored && system.store != nullptr) {
    const StoredList& stored = *plan.source.stored;
    outcome.setxCut = LookForSetxCut(stored.scope, stored.value.text, resolved.list, *system.store,
                                     system.environment);
    if (outcome.setxCut.seen) warnings.push_back({"cutBySetx", SetxCutLine(outcome.setxCut)});
  }
  if (plan.conventions.win32Syntax && !plan.rules.asGiven) {
    FragileShortNames(decided.written, resolved.list.entries, system.files, warnings);
    decided.notes.withoutShortName =
        VolumesWithoutShortNames(decided.written, resolved.list.entries, system.files, warnings);
  }
  outcome.newWindow = NewWindow(plan, decided);
}

// Every entry's record, the one source of the counts and entries that
// --check and --json give: held where they are kept (what each entry was
// written for) or changed (drift), else made afresh on each walk.
struct RunRecords {
  RunRecords() = default;
  RunRecords(const RunRecords&) = delete;  // `walk` may point to `held`
  RunRecords& operator=(const RunRecords&) = delete;

  std::vector<EntryRecord> held;
  RecordWalk walk;
};

// `mayStore`: the run may store the list (--write), and keep what each
// entry was written for.
void MakeRecords(const RunPlan& plan, const ResolvedRun& resolved, const DecidedList& decided,
                 bool mayStore, RunRecords& records) {
  if (plan.source.list.empty()) {  // an empty list has no entries, not one empty one
    records.walk = [](const RecordVisit&) {};
  } else if (mayStore || plan.rules.asGiven || !plan.drift.writtenFor.empty()) {
    records.held = plan.rules.asGiven
                       ? AsGivenRecords(resolved.list, decided.written, decided.notes)
                       : EntryRecords(resolved.list, decided.written, decided.notes);
    NoteDrift(plan.source.list, plan.drift, plan.conventions, records.held);
    records.walk = [&held = records.held](const RecordVisit& visit) {
      for (const EntryRecord& record : held) visit(record);
    };
  } else {
    records.walk = [&resolved, &decided](const RecordVisit& visit) {
      ForEachRecord(resolved.list, decided.written, decided.notes, visit);
    };
  }
}

// Before anything is printed, stored or counted: every entry written
// otherwise than given opens to the folder the given one did, or is
// written as given (a list kept as given has nothing to prove).
void ProveList(RunPlan& plan, const ResolvedRun& resolved, DecidedList& decided,
               SystemAccess& system, RunOutcome& outcome) {
  if (plan.rules.asGiven) return;
  outcome.proved =
      ProveEntries(resolved.list, decided, plan.junctions, plan.source.References(), system.files);
}

// The text report on standard error, from the records: a line for each
// entry that needs one, in the list's order; what deciding said
// (`decisions`: what it avoided, how far the target is); the warnings; a
// new window's lengths; the lengths and the list as given.
void ReportList(const RunPlan& plan, const ResolvedRun& resolved, const DecidedList& decided,
                const RunRecords& records, const std::string& decisions, const RunOutcome& outcome,
                std::ostream& err) {
  if (!plan.rules.asGiven) WriteEntryLines(records.walk, resolved.list, plan.line.verbose, err);
  err << decisions;
  WriteWarnings(outcome.warnings, err);
  if (outcome.newWindow) err << "[" + NewWindowLine(*outcome.newWindow) + "]\n";
  WriteReport(plan.source.list, decided.text, err);
}

// --write: the new list stored, after a backup.
void StoreList(const RunPlan& plan, const DecidedList& decided, SystemAccess& system,
               std::ostream& err, RunOutcome& outcome) {
  if (!plan.line.write) return;
  err << "[" + std::to_string(outcome.proved) + (outcome.proved == 1 ? " entry" : " entries") +
             " proved to lead where they led]\n";
  const StoredList& stored = *plan.source.stored;
  outcome.status =
      StorePath(stored.scope, stored.value, decided.text, *system.store, system.environment, err,
                outcome.stored, outcome.setxCut.seen && !plan.line.force);
}

// What each stored entry was written for, for the runs to come: only while
// the value stored is the one this run wrote (another run may have stored
// its own since).
void RememberWrittenFor(RunPlan& plan, const ResolvedRun& resolved, const DecidedList& decided,
                        const RunRecords& records, const RunOutcome& outcome, SystemAccess& system,
                        std::ostream& err) {
  if (!outcome.stored.stored || plan.source.stored->writtenForFile.empty()) return;
  const StoredList& stored = *plan.source.stored;
  StoredValue now;
  if (system.store->Read(stored.scope, "Path", now) != StoreStatus::kOk ||
      now.text != decided.text || now.type != stored.value.type) {
    err << "[the Path changed again since it was stored: what its entries were written for is"
           " not kept]\n";
    return;
  }
  const std::string memory =
      FormatWrittenFor(WrittenForOf(records.held, resolved.list.entries, stored.writtenFor,
                                    plan.source.References()),
                       stored.scope == Scope::kUser ? LeftOutOf(records.held, plan.stillLeftOut)
                                                    : std::vector<LeftOut>());
  if (system.store->OverwriteFile(stored.writtenForFile, memory) != StoreStatus::kOk) {
    err << "[can't keep what the entries were written for in '" + stored.writtenForFile + "']\n";
  }
}

// The facts a --check line or --json report says of where the list came
// from.
ReportFacts Facts(const RunPlan& plan) {
  ReportFacts facts;
  switch (plan.line.source) {
    case Source::kStandardInput:
      facts.source = "standardInput";
      break;
    case Source::kEnvironment:
      facts.source = "environment";
      facts.variable = plan.line.variable;
      break;
    case Source::kUserPath:
    case Source::kMachinePath:
      facts.source = plan.source.stored->scope == Scope::kUser ? "user" : "machine";
      facts.valueType = plan.source.stored->value.type;
      facts.driftChecked = true;
      break;
    default:
      facts.source = "argument";
  }
  return facts;
}

// What names the user: the profile folder, as the logon or this process
// knows it, in its long and short spellings, and the user name.
Redactor RedactorFor(Environment* logon, SystemAccess& system) {
  const auto variable = [&](const char* windows, const char* posix) {
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

// The source could not be read, as `line` said on standard error: with
// --json, a report says so on standard output, which the engines that read
// it (DSC, Ansible) take in place of an empty document.
int SourceUnread(const RunPlan& plan, int status, const std::string& line, const Redactor& redact,
                 std::ostream& out, std::ostream& err) {
  if (!plan.line.json) return status;
  ReportFacts facts = Facts(plan);
  facts.valueType.reset();  // a value that is not a list has no type a report names
  // (--check's call that cannot be answered exits 10, as RunPathShrink says.)
  facts.exitStatus = plan.line.check && status == kExitUsage ? kExitCheckUnanswered : status;
  facts.error = line.size() > 3 && line.front() == '[' ? line.substr(1, line.size() - 3) : line;
  WriteJsonReport(facts, redact, out);
  const int delivered = Delivered(out, err);
  return delivered != kExitDone ? delivered : status;
}

// The new list, the --check line or the --json report on standard output;
// returns the run's status.
int DeliverResult(RunPlan& plan, DecidedList& decided, const RunRecords& records,
                  RunOutcome& outcome, const Redactor& redact, const SystemAccess& system,
                  std::ostream& out, std::ostream& err, bool& answered) {
  const CommandLine& line = plan.line;
  const bool inState = decided.text == plan.source.list;
  int status = outcome.status;
  // --check answers what --write would do: where it would refuse to store
  // the new list, with the status it would refuse with.
  std::string refusal;
  if (line.check && status == kExitDone && !inState && plan.source.stored) {
    status = StoreRefusal(plan.source.stored->value, decided.text, "the stored Path", refusal,
                          outcome.setxCut.seen && !line.force);
  }
  if (line.check && status == kExitDone && !inState) status = kExitCheckWouldChange;
  int delivered = kExitDone;
  if (line.check || line.json) {
    ReportFacts facts = Facts(plan);
    facts.before = plan.source.list;
    facts.after = decided.text;
    facts.records = records.walk;
    facts.counts = CountRecords(records.walk);
    facts.warnings = std::move(outcome.warnings);
    facts.backup = outcome.stored.backup;
    facts.stored = outcome.stored.stored;
    facts.inState = inState;
    facts.target = line.target.has_value();
    facts.refusal = std::move(refusal);
    facts.newWindow = outcome.newWindow;
    if (outcome.shadows) facts.shadows = &*outcome.shadows;
    facts.exitStatus = status;
    if (line.json) {
      WriteJsonReport(facts, redact, out);
      delivered = Delivered(out, err);
    } else {
      delivered = Deliver(CheckLine(facts, redact), out, err);
    }
  } else if (outcome.shadows) {
    delivered =
        Deliver(redact(ShadowsText(*outcome.shadows, plan.conventions.win32Syntax)), out, err);
  } else if (line.explain) {
    WriteExplainTable(records.walk, plan.source.list, decided.text,
                      system.outputColumns != 0 ? system.outputColumns : kExplainColumns,
                      line.target.has_value(), redact, out);
    delivered = Delivered(out, err);
  } else if (status == kExitDone) {
    decided.text.push_back('\n');  // one write, the list and its line break
    delivered = Deliver(decided.text, out, err);
  }
  // Else the run failed (the Path was not stored): no list, which a script
  // that ignores the status would take for the one stored.
  if (outcome.stored.stored && delivered != kExitDone) {
    err << "[the new Path was stored all the same]\n";
  }
  answered = line.check && delivered == kExitDone;
  return delivered != kExitDone ? delivered : status;
}

// `text` (redacted) with a note after an undo line that a mark stands in:
// as printed, it names no file that exists.
std::string WithRedactedUndoSaid(std::string text) {
  const std::string_view undo = kUndoLineStart;
  for (std::size_t at = text.find(undo); at != std::string::npos; at = text.find(undo, at + 1)) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    if (text.substr(at, end - at).find(kProfileMark) == std::string::npos) continue;
    text.insert(end, " (redacted: run it with your profile folder, %USERPROFILE%, in place of " +
                         std::string(kProfileMark) + ")");
  }
  return text;
}

// The whole tool, stage by stage; `answered` says whether --check gave its
// answer, `redact` what --redact replaces, once the source says who the
// user is.
int Run(int argc, const char* const* argv, SystemAccess& given, std::ostream& out,
        std::ostream& err, bool& answered, Redactor& redact) {
  // Some systems start a program with no argument 0 at all.
  const std::string program = argc > 0 && argv[0] != nullptr ? argv[0] : "";
  ParsedCommandLine parsed;
  if (const std::optional<int> ended = ReadCommandLine(
          argc, argv, program, given.files.Conventions().win32Syntax, out, err, parsed)) {
    return *ended;
  }
  // Every question from here on waits for a drive or a share no longer than
  // --wait says.
  AnsweringRoots roots(given.files, given.rootProbe,
                       parsed.line.wait.value_or(AnsweringRoots::kDefaultBound));
  SystemAccess system = given.AskingInstead(roots);
  RunPlan plan(parsed.line, system.files);
  std::ostringstream said;  // what reading the source says; why, where it cannot be read
  const int read = ReadSource(plan.line, argv, system, plan.source, said);
  err << said.str();
  if (plan.line.redact) redact = RedactorFor(plan.source.References(), system);
  if (read != kExitDone) return SourceUnread(plan, read, said.str(), redact, out, err);
  if (const int status = PlanRun(system, plan, err); status != kExitDone) return status;
  ResolvedRun resolved = ResolveList(plan, system.files, err);
  if (plan.line.suggest) return Suggest(plan, resolved, system.files, out, err);

  std::ostringstream decisions;
  DecidedList decided = DecideEntries(plan.source.list, resolved.list, std::move(resolved.found),
                                      plan.rules, system.files, decisions);
  RunOutcome outcome;
  ProveList(plan, resolved, decided, system, outcome);
  JudgeUse(plan, resolved, decided, system, outcome);
  RunRecords records;
  MakeRecords(plan, resolved, decided, plan.line.write, records);
  ReportList(plan, resolved, decided, records, decisions.str(), outcome, err);
  StoreList(plan, decided, system, err, outcome);
  outcome.shadows = ShadowsOf(plan, decided, system, err);
  RememberWrittenFor(plan, resolved, decided, records, outcome, system, err);
  return DeliverResult(plan, decided, records, outcome, redact, system, out, err, answered);
}

}  // namespace

int RunPathShrink(int argc, const char* const* argv, SystemAccess system, std::ostream& out,
                  std::ostream& err) {
  const auto given = [argc, argv](std::string_view flag) {
    return std::any_of(argv + std::min(argc, 1), argv + argc,
                       [flag](const char* arg) { return arg != nullptr && flag == arg; });
  };
  bool answered = false;
  Redactor redact;
  int status = kExitDone;
  if (given("--redact")) {
    // A device-management service uploads standard error too: it is held,
    // and goes out redacted (by what the process knows of the user, where
    // the run did not get as far as its source).
    std::ostringstream held;
    status = Run(argc, argv, system, out, held, answered, redact);
    if (redact.Empty()) redact = RedactorFor(nullptr, system);
    err << WithRedactedUndoSaid(redact(held.str()));
  } else {
    status = Run(argc, argv, system, out, err, answered, redact);
  }
  // A detection script must never take a call that could not be answered
  // (a typo, an unset variable) for "not in the desired state".
  const bool checking = given("--check");
  if (checking && !answered && status == kExitUsage) return kExitCheckUnanswered;
  return status;
}

int RunPathShrink(int argc, const char* const* argv, FileSystemQueries& queries, std::ostream& out,
                  std::ostream& err) {
  SystemAccess system{queries};
  return RunPathShrink(argc, argv, system, out, err);
}

}  // namespace pathshrink
