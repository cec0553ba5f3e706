#include "driver/run_pathshrink.h"

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "compact/compact_path_list.h"
#include "compact/junction_suggestions.h"
#include "compact/junction_table.h"
#include "driver/junction_registration.h"
#include "driver/planned_junctions.h"
#include "driver/suggestion_script.h"

namespace pathshrink {
namespace {

// Each line goes out in one insertion: standard error is unbuffered, so a
// line built piecewise would cost a write per piece.
void WriteReport(std::string_view fullpath, const PathList& newList, std::ostream& err) {
  err << "Original path [" + std::to_string(fullpath.size()) + "]:\n";
  std::string line;
  line.reserve(fullpath.size() + 1);
  line.append(fullpath).push_back('\n');
  err << line;
  err << "\n";
  err << "New path [" + std::to_string(newList.size()) + "]:\n";
}

// Writes the result and makes sure it arrived: a list that was lost (a full
// disk, a closed pipe) must not look like success to whoever applies it.
int Deliver(const std::string& text, std::ostream& out, std::ostream& err) {
  out << text;
  out.flush();
  if (out) return kExitDone;
  err << "[can't write standard output]\n";
  return kExitOutputFailed;
}

std::string HelpText(const PathConventions& conventions) {
  const std::string make = conventions.win32Syntax ? "mklink /J" : "ln -s";
  return "usage: pathshrink fullpath [-j junction]+\n"
         "       pathshrink --suggest [--junctions-in DIR] fullpath [-j junction]+\n"
         "\n"
         "Shortens a ';'-separated list of directories such as PATH: writes every\n"
         "entry in its short (8.3) form, drops entries that do not exist and entries\n"
         "that name a directory already listed, and writes each junction given with\n"
         "-j in place of its target. The new list goes to standard output; a report\n"
         "and a line for every entry or junction it could not use go to standard\n"
         "error.\n"
         "\n"
         "  fullpath              the list, as one argument (quote it)\n"
         "  -j junction           a directory junction whose target may begin\n"
         "                        entries of the list; as many as you like\n"
         "  --suggest             instead of the list, print the " +
         make +
         " commands that\n"
         "                        make the junctions that would shorten it most, and\n"
         "                        the command line to use once they exist; the report\n"
         "                        gives the length the list will then have\n"
         "  --junctions-in DIR    make the proposed junctions in DIR (default: the\n"
         "                        root of each target's drive)\n"
         "  --help, -h, /?        this text\n"
         "  --version             the version\n"
         "\n"
         "Exit status: 0 the result was written; 1 no list was given, or an unknown\n"
         "flag; 2 standard output could not be written.\n";
}

}  // namespace

int RunPathShrink(int argc, const char* const* argv, FileSystemQueries& queries, std::ostream& out,
                  std::ostream& err) {
  // Some systems start a program with no argument 0 at all.
  const std::string program = argc > 0 && argv[0] != nullptr ? argv[0] : "";
  const auto usage = [&] {
    err << program + " fullpath [-j junction]+\n";
    return kExitUsage;
  };
  if (argc < 2) return usage();
  const PathConventions conventions = queries.Conventions();

  // The first argument is an option or the list: no list is spelled so.
  const std::string_view first = argv[1];
  if (first == "--help" || first == "-h" || first == "/?") {
    return Deliver(HelpText(conventions), out, err);
  }
  if (first == "--version") return Deliver("pathshrink " PATHSHRINK_VERSION "\n", out, err);
  int listAt = 1;
  const bool suggest = first == "--suggest";
  std::string linkFolder;
  if (suggest) {
    listAt = 2;
    if (listAt + 1 < argc && std::strcmp(argv[listAt], "--junctions-in") == 0) {
      linkFolder = NormalizedPath(queries.AbsolutePath(argv[listAt + 1]), conventions);
      listAt += 2;
    }
    if (listAt >= argc) return usage();
  }
  // The entries are read in place: the list is never copied.
  const std::string_view fullpath = argv[listAt];

  JunctionTable registered;  // in command-line order
  std::vector<std::string> given;
  // A last argument without a partner is never looked at.
  for (int cursor = listAt + 1; cursor < argc - 1; cursor += 2) {
    if (std::strcmp(argv[cursor], "-j") != 0) {
      err << "Unknown flag [" + std::string(argv[cursor]) + "]\n";
      return kExitUsage;
    }
    RegisterJunction(argv[cursor + 1], queries, registered, err);
    given.emplace_back(argv[cursor + 1]);
  }
  JunctionTable junctions = registered;
  OrderBySavings(junctions);

  const std::vector<ResolvedEntry> entries = ResolveEntries(fullpath, queries, err);
  if (!suggest) {
    PathList newList = JoinEntries(WriteEntries(entries, junctions, conventions));
    WriteReport(fullpath, newList, err);
    newList.push_back('\n');
    return Deliver(newList, out, err);
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
  return Deliver(SuggestionScript(proposals, given, {without, newList.size()}, conventions), out,
                 err);
}

}  // namespace pathshrink
