#include "driver/run_pathshrink.h"

#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compact/compact_path_list.h"
#include "compact/junction_suggestions.h"
#include "compact/junction_table.h"
#include "driver/command_line.h"
#include "driver/junction_registration.h"
#include "driver/planned_junctions.h"
#include "driver/report.h"
#include "driver/stored_path.h"
#include "driver/suggestion_script.h"
#include "pathtext/path_spelling.h"

namespace pathshrink {
namespace {

using Source = CommandLine::Source;

// Writes the result and makes sure it arrived: a list that was lost (a full
// disk, a closed pipe) must not look like success to whoever applies it.
int Deliver(const std::string& text, std::ostream& out, std::ostream& err) {
  out << text;
  out.flush();
  if (out) return kExitDone;
  err << "[can't write standard output]\n";
  return kExitOutputFailed;
}

// The list as read from standard input: UTF-8, without a byte-order mark
// or the line break that ends it.
std::string ReadList(std::istream& input) {
  std::string text{std::istreambuf_iterator<char>(input), std::istreambuf_iterator<char>()};
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
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

}  // namespace

int RunPathShrink(int argc, const char* const* argv, FileSystemQueries& queries, std::ostream& out,
                  std::ostream& err) {
  return RunPathShrink(argc, argv, SystemAccess{queries}, out, err);
}

int RunPathShrink(int argc, const char* const* argv, SystemAccess system, std::ostream& out,
                  std::ostream& err) {
  // Some systems start a program with no argument 0 at all.
  const std::string program = argc > 0 && argv[0] != nullptr ? argv[0] : "";
  const std::string usage = UsageLine(program);
  if (argc < 2) {
    err << usage;
    return kExitUsage;
  }
  FileSystemQueries& queries = system.files;
  const PathConventions conventions = queries.Conventions();

  const ParsedCommandLine parsed = ParseCommandLine(argc, argv);
  if (!parsed.complaint.empty()) {
    err << parsed.complaint + usage;
    return kExitUsage;
  }
  const CommandLine& line = parsed.line;
  if (line.help) return Deliver(HelpText(conventions.win32Syntax), out, err);
  if (line.version) return Deliver("pathshrink " PATHSHRINK_VERSION "\n", out, err);

  // The list: an argument is read in place, never copied.
  std::string_view fullpath;
  std::string owned;
  Environment* references = system.environment;
  std::optional<MachineEnvironment> machine;
  const Scope scope = line.source == Source::kMachinePath ? Scope::kMachine : Scope::kUser;
  StoredValue stored;
  switch (line.source) {
    case Source::kNone:
      err << usage;
      return kExitUsage;
    case Source::kArgument:
      fullpath = argv[line.listIndex];
      break;
    case Source::kStandardInput:
      if (system.input == nullptr) {
        err << "[standard input cannot be read here]\n";
        return kExitUsage;
      }
      owned = ReadList(*system.input);
      fullpath = owned;
      break;
    case Source::kEnvironment: {
      std::optional<std::string> value;
      if (system.environment != nullptr) value = system.environment->Variable(line.variable);
      if (!value) {
        err << "[environment variable '" + line.variable + "' is not set]\n";
        return kExitUsage;
      }
      owned = std::move(*value);
      fullpath = owned;
      break;
    }
    case Source::kUserPath:
    case Source::kMachinePath: {
      if (system.store == nullptr) {
        err << "[--user and --machine read the Path stored in the Windows registry;"
               " there is none here]\n";
        return kExitUsage;
      }
      const std::string key = ScopeKeyName(scope);
      switch (system.store->Read(scope, "Path", stored)) {
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
      fullpath = stored.text;
      if (stored.type == StoredType::kString) {
        // Windows takes such a value literally: a reference there leads
        // nowhere, and must not make a literal entry look like a repeat.
        references = nullptr;
      } else if (scope == Scope::kMachine && system.environment != nullptr) {
        references = &machine.emplace(*system.environment, *system.store);
      }
      break;
    }
  }

  // Where --suggest puts its links: a folder that is there.
  const std::string linkFolder =
      line.junctionsInGiven ? NormalizedPath(queries.AbsolutePath(line.junctionsIn), conventions)
                            : std::string();
  std::string folderShortForm;
  if (line.junctionsInGiven && !queries.ShortPathName(linkFolder, folderShortForm)) {
    err << "[the folder for the junctions '" + line.junctionsIn + "' does not exist]\n";
    return kExitUsage;
  }

  JunctionTable registered;  // in command-line order
  for (const std::string& junction : line.junctions) {
    RegisterJunction(junction, queries, registered, err);
  }
  JunctionTable junctions = registered;
  OrderBySavings(junctions);

  const ResolvedList resolved = ResolveEntries(fullpath, queries, {references});
  WriteFindings(resolved, line.verbose, err);
  const std::vector<ResolvedEntry>& entries = resolved.entries;
  if (!line.suggest) {
    const WrittenList written = WriteEntries(entries, junctions, conventions);
    if (line.verbose) WriteRepeatsMadeByJunctions(resolved, written, err);
    PathList newList = JoinEntries(written);
    WarnAboutUse(newList, system.outputReadInOtherCodePage, conventions, err);
    WriteReport(fullpath, newList, err);
    int status = kExitDone;
    if (line.write) {
      status = StorePath(scope, stored, newList, *system.store, system.environment, err);
    }
    newList.push_back('\n');
    const int delivered = Deliver(newList, out, err);
    return status != kExitDone ? status : delivered;
  }

  // The proposals are registered as the tool will register them once they
  // exist, after the given junctions, and the list written with them all.
  const std::vector<SuggestedJunction> proposals =
      SuggestJunctions(entries, junctions, linkFolder, queries);
  PlannedJunctions planned(queries, proposals);
  for (const SuggestedJunction& proposal : proposals) {
    RegisterJunction(proposal.link, planned, registered, err);
  }
  const std::size_t without = JoinEntries(WriteEntries(entries, junctions, conventions)).size();
  junctions = registered;
  OrderBySavings(junctions);
  const PathList newList = JoinEntries(WriteEntries(entries, junctions, conventions));
  WriteReport(fullpath, newList, err);
  return Deliver(SuggestionScript(proposals, line.junctions, {without, newList.size()},
                                  SourceArguments(line, conventions), conventions),
                 out, err);
}

}  // namespace pathshrink
