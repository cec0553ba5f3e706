#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "cli/command_line.h"
#include "cli/run_pathshrink.h"
#include "compact/compact_path_list.h"
#include "compact/junction_table.h"
#include "compact/listed_folders.h"
#include "pathtext/path_conventions.h"
#include "rewrite/entry_writing.h"
#include "rewrite/ordinary_user_reach.h"
#include "sources/stored_list.h"
#include "store/written_for.h"

namespace pathshrink {

// The list as the command line names it, read.
struct ListSource {
  std::string_view list;  // into `owned`, into an argument (never copied), or into `stored`
  std::string owned;
  std::optional<StoredList> stored;  // --user, --machine

  // What the list's references mean: a stored REG_EXPAND_SZ Path's logon;
  // none for a live list, where Windows never expands them.
  Environment* References() { return stored && stored->logon ? &*stored->logon : nullptr; }
};

// Reads the one source the command line names into `source`. Returns 0,
// or the status with a line on `err` where it cannot be read.
int ReadSource(const CommandLine& line, const char* const* argv, SystemAccess& system,
               ListSource& source, std::ostream& err);

// What a run does, decided once from the command line and the list's
// source; the stages after read it. Views into it stay valid while it
// lives: it is never copied or moved.
struct RunPlan {
  RunPlan(const CommandLine& line, FileSystemQueries& files)
      : line(line), conventions(files.Conventions()), reach(files) {}
  RunPlan(const RunPlan&) = delete;
  RunPlan& operator=(const RunPlan&) = delete;

  const CommandLine& line;
  const PathConventions conventions;
  ListSource source;
  OrdinaryUserReach reach;   // asked for the machine's Path alone
  bool forMachine = false;   // --machine: every process searches it
  std::string linkFolder;    // --junctions-in, as a full path
  JunctionTable registered;  // the junctions given, in command-line order (for the machine: safe)
  JunctionTable junctions;   // the same, by savings
  // A stored entry that now leads elsewhere than the folder it was written
  // for is resolved as that folder: `resolving` is the list so mended.
  DriftCheck drift;
  std::string_view resolving;
  // --user, --machine: the other scope's stored Path (read only), as its
  // logon expands it, for a new window's PATH; nothing where it cannot be
  // read.
  std::optional<std::string> otherExpanded;
  std::string otherStored;  // the same, as it is stored (the text the dialog edits)
  // --user: the folders the machine's Path lists, which a new window
  // searches before the user's; nothing where it cannot be read.
  std::optional<ListedFolders> machineFolders;
  std::vector<LeftOut> stillLeftOut;  // left out before, and not put back
  WritingRules rules;                 // how each entry is written
};

// Decides the plan after its source is read: the folder for --suggest's
// links, the junctions given, the other scope's Path, the entries that
// drifted or that go back in, and how each entry will be written. Returns
// 0, or 1 with a line on `err` where the folder for the links will not do.
int PlanRun(SystemAccess& system, RunPlan& plan, std::ostream& err);

// The list resolved as the plan says.
struct ResolvedRun {
  ResolvedList list;
  // By resolved entry: what the machine's rules found, and which entries
  // the machine's Path lists for a user's.
  EntryNotes found;
};

// Resolves the list as the plan mended it, saying on `err` what it found.
ResolvedRun ResolveList(RunPlan& plan, FileSystemQueries& files, std::ostream& err);

}  // namespace pathshrink
