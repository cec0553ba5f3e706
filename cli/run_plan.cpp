#include "cli/run_plan.h"

#include <algorithm>
#include <iterator>

#include "compact/path_list_syntax.h"
#include "junctions/junction_registration.h"
#include "pathtext/path_parts.h"
#include "pathtext/path_spelling.h"
#include "report/exit_status.h"
#include "report/report.h"
#include "rewrite/machine_path.h"
#include "sources/logon_environment.h"
#include "sources/new_window.h"
#include "sources/standard_input.h"

namespace pathshrink {

using Source = CommandLine::Source;

// A live list (an argument, standard input, a variable) is what programs
// search, and Windows never expands %NAME% there; a stored REG_EXPAND_SZ
// Path is expanded at the next logon, with the variables stored then.
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
      std::string why;
      if (!ListFromStandardInput(std::move(bytes), system.files.Conventions().win32Syntax,
                                 system.decodeInputCodePage, source.owned, why)) {
        err << "[standard input is not text: " + why + "]\n";
        return kExitInputNotText;
      }
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
  const Scope scope = line.source == Source::kMachinePath ? Scope::kMachine : Scope::kUser;
  StoredList& stored = source.stored.emplace();
  const int status = ReadStoredList(scope, *system.store, system.environment, stored, err);
  source.list = stored.value.text;
  return status;
}

namespace {

// --user and --machine: the other scope's Path, read only, which a new
// window joins to this one; for the user's, the folders the machine's
// lists.
void ReadOtherScope(SystemAccess& system, RunPlan& plan, std::ostream& err) {
  if (!plan.source.stored || system.store == nullptr) return;
  const Scope scope = plan.source.stored->scope;
  const Scope other = scope == Scope::kUser ? Scope::kMachine : Scope::kUser;
  const std::optional<StoredValue> path = ReadPathOf(other, *system.store, err);
  if (!path) return;
  // Expanded, and its entries judged, as its own logon expands them (a
  // REG_SZ value as it stands).
  std::optional<LogonEnvironment> logon;
  if (path->type == StoredType::kExpandString) logon.emplace(*system.store, other);
  plan.otherExpanded = logon ? logon->Expanded(path->text) : path->text;
  plan.otherStored = path->text;
  if (scope == Scope::kUser) {
    plan.machineFolders.emplace(
        ResolveEntries(path->text, system.files, {logon ? &*logon : nullptr}));
  }
}

}  // namespace

int PlanRun(SystemAccess& system, RunPlan& plan, std::ostream& err) {
  FileSystemQueries& files = system.files;
  const CommandLine& line = plan.line;
  // Where --suggest puts its links: a folder that is there.
  if (line.junctionsInGiven) {
    plan.linkFolder = NormalizedPath(files.AbsolutePath(line.junctionsIn), plan.conventions);
    std::string shortForm;
    if (!files.ShortPathName(plan.linkFolder, shortForm)) {
      err << "[the folder for the junctions '" + line.junctionsIn + "' does not exist]\n";
      return kExitUsage;
    }
    if (!files.IsDirectory(plan.linkFolder)) {
      err << "[the folder for the junctions '" + line.junctionsIn + "' is not a folder]\n";
      return kExitUsage;
    }
  }
  for (const std::string& junction : line.junctions) {
    RegisterJunction(junction, files, plan.registered, err);
  }
  // Every process searches the machine's Path: nothing in it runs through
  // a folder that users other than administrators can change.
  plan.forMachine = line.source == Source::kMachinePath;
  if (plan.forMachine) plan.registered = JunctionsForTheMachine(plan.registered, plan.reach, err);
  plan.junctions = plan.registered;
  OrderBySavings(plan.junctions);

  WritingRules& rules = plan.rules;
  rules.junctions = &plan.junctions;
  if (plan.forMachine) rules.machine = &plan.reach;
  if (line.source == Source::kUserPath) rules.profile = plan.source.References();
  plan.resolving = plan.source.list;
  ReadOtherScope(system, plan, err);
  bool drifted = false;
  const StoredList* stored = plan.source.stored ? &*plan.source.stored : nullptr;
  if (stored != nullptr && (!stored->writtenFor.empty() || !stored->leftOut.empty())) {
    plan.drift =
        CheckDrift(plan.source.list, stored->writtenFor, files, plan.source.References(), err);
    // Only where the machine's Path was read can it be said to list a
    // folder no longer.
    if (plan.machineFolders) {
      plan.stillLeftOut = PutBackLeftOut(stored->leftOut, *plan.machineFolders, files,
                                         plan.source.References(), plan.drift, err);
    } else {
      plan.stillLeftOut = stored->leftOut;
    }
    plan.resolving = plan.drift.list;
    drifted = std::any_of(plan.drift.writtenFor.begin(), plan.drift.writtenFor.end(),
                          [](const std::string& folder) { return !folder.empty(); }) ||
              std::find(plan.drift.putBack.begin(), plan.drift.putBack.end(), true) !=
                  plan.drift.putBack.end();
  }
  rules.target = line.target;
  // With --target, a list within it comes back as given: nothing is left
  // out, and nothing is said to be. Not where an entry drifted, which is
  // mended whatever the target, nor where one holds a control character,
  // which would split standard output's one line.
  rules.asGiven = line.target && !line.suggest && !drifted &&
                  !HoldsControlCharacter(plan.source.list) &&
                  Utf16Length(plan.source.list) <= *line.target;
  rules.verbose = line.verbose;
  return kExitDone;
}

ResolvedRun ResolveList(RunPlan& plan, FileSystemQueries& files, std::ostream& err) {
  ResolvedRun run;
  run.list = ResolveEntries(plan.resolving, files, {plan.source.References()});
  if (plan.forMachine) {
    run.found.userChangeable = EntriesUsersCanChange(run.list.entries, plan.reach, err);
  }
  if (plan.machineFolders && !plan.rules.asGiven) {
    run.found.listedByMachine = EntriesListedBefore(run.list, *plan.machineFolders);
  }
  return run;
}

}  // namespace pathshrink
