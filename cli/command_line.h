#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace pathshrink {

// What the command line asks for. Options may come before or after the
// one source of the list.
struct CommandLine {
  enum class Source {
    kNone,
    kArgument,       // the list itself
    kStandardInput,  // "-"
    kEnvironment,    // --env NAME
    kUserPath,       // --user: the user's stored Path
    kMachinePath,    // --machine: the machine's stored Path
  };
  Source source = Source::kNone;
  int listIndex = 0;                   // with kArgument: where the list is in argv
  std::string variable;                // with kEnvironment
  std::vector<std::string> junctions;  // as typed, in order
  bool suggest = false;
  bool junctionsInGiven = false;
  std::string junctionsIn;
  bool verbose = false;
  bool check = false;    // --check: in the desired state or not, as a status and a line
  bool json = false;     // --json: the report as one JSON object on standard output
  bool shadows = false;  // --shadows: every program name more than one folder answers to
  bool explain = false;  // --explain: a table of what becomes of each entry, for people
  bool redact = false;   // --redact: no profile folder or user name in the line or JSON
  std::optional<std::size_t> target;  // --target N: rewrite only what it takes to be at most N
  // --wait SECONDS: how long each drive or share has to answer (0: no limit)
  std::optional<std::chrono::milliseconds> wait;
  bool write = false;
  bool force = false;  // --force: with --write, store over a value that bears setx's mark
  bool help = false;
  bool version = false;
};

// The command line read, or the complaint (one line, ending in '\n') that
// names the argument it could not take.
struct ParsedCommandLine {
  CommandLine line;
  std::string complaint;  // empty when every argument was understood
};

ParsedCommandLine ParseCommandLine(int argc, const char* const* argv);

// The line printed when no list is given.
std::string UsageLine(const std::string& program);
// Every form of the command line, printed after a complaint.
std::string UsageForms(const std::string& program);

// What --help prints; `windows` chooses the command that makes links.
std::string HelpText(bool windows);

}  // namespace pathshrink
