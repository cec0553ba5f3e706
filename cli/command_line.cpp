#include "cli/command_line.h"

#include <algorithm>
#include <string_view>

#include "report/exit_status.h"

namespace pathshrink {
namespace {

// `line` broken into lines of at most 78 columns at spaces, the lines after
// the first indented by `indent` spaces.
std::string Wrapped(const std::string& line, std::size_t indent) {
  std::string text;
  std::size_t start = 0;
  std::size_t column = 0;
  while (start < line.size()) {
    const std::size_t room = 78 - column;
    std::size_t end = line.size();
    if (end - start > room) {
      end = line.rfind(' ', start + room);
      if (end == std::string::npos || end <= start) end = line.find(' ', start + room);
      if (end == std::string::npos) end = line.size();
    }
    text.append(line, start, end - start).push_back('\n');
    start = end < line.size() ? end + 1 : end;
    if (start < line.size()) {
      text.append(indent, ' ');
      column = indent;
    }
  }
  return text;
}

}  // namespace

std::string UsageLine(const std::string& program) {
  return program + " [options] (fullpath | - | --env NAME | --user | --machine)\n";
}

std::string UsageForms(const std::string& program) {
  std::string text;
  for (const char* form : {" [options] fullpath\n", " [options] -\n", " [options] --env NAME\n",
                           " [options] --user [--write]\n", " [options] --machine [--write]\n",
                           " --help | -h | /? | --version\n"}) {
    text += program + form;
  }
  return text;
}

std::string HelpText(bool windows) {
  const std::string make = windows ? "mklink /J" : "ln -s";
  std::string text =
      "usage: pathshrink [options] (fullpath | - | --env NAME | --user | --machine)\n"
      "\n"
      "Shortens a ';'-separated list of directories such as PATH: writes every\n"
      "entry in its short (8.3) form, drops entries that do not exist and entries\n"
      "that name a directory already listed, and writes each junction given with\n"
      "-j in place of its target. Entries it cannot judge (relative ones, ones on\n"
      "a drive that is not there, ones it may not check) are kept as given. The\n"
      "new list goes to standard output; a report and a line for every entry or\n"
      "junction it could not use go to standard error.\n"
      "\n"
      "The list, exactly one of:\n"
      "  fullpath              the list itself, as one argument\n"
      "  -                     the list from standard input (UTF-8, or UTF-16 with a\n"
      "                        byte-order mark; else the console's code page)\n"
      "  --env NAME            the value of the environment variable NAME\n"
      "  --user, --machine     the Path stored for the user or the machine (Windows),\n"
      "                        references such as %SystemRoot% kept\n"
      "\n"
      "Options, before or after the list:\n"
      "  -j junction           a directory junction whose target may begin\n"
      "                        entries of the list; as many as you like\n"
      "  --write               with --user or --machine: store the new Path, after a\n"
      "                        backup that reg import restores\n"
      "  --force               with --write: store it even where the stored Path\n"
      "                        looks cut by setx (exactly 1024 characters, its last\n"
      "                        entry naming no folder)\n"
      "  --verbose             a line for every entry left out as a repeat\n"
      "  --target N            rewrite only as many entries as it takes for the list\n"
      "                        to be at most N characters (2047 for the Environment\n"
      "                        Variables dialog, 8191 for cmd.exe), forms that last\n"
      "                        first; the others stay as given\n"
      "  --check               store nothing; print one line that says whether the\n"
      "                        list is in the desired state and why, and exit 0 when\n"
      "                        the tool would change nothing, 1 when it would, and\n"
      "                        any other status when it cannot tell (see below)\n"
      "  --json                the report as one JSON object on standard output, in\n"
      "                        place of the list (or of the --check line)\n"
      "  --explain             in place of the list, a table: each entry, what it\n"
      "                        becomes, why, and what it saves; then the lengths\n"
      "  --shadows             in place of the list, every program name that files in\n"
      "                        more than one folder answer to: which one runs from\n"
      "                        cmd.exe, from CreateProcess and from PowerShell,\n"
      "                        which never do (with --user or --machine: in a new\n"
      "                        window's whole PATH)\n"
      "  --redact              with --check, --json, --explain or --shadows: the\n"
      "                        profile folder written as <user-profile>, the user\n"
      "                        name as <user-name>, standard error too\n"
      "  --suggest             instead of the list, print the " +
      make +
      " commands that\n"
      "                        make the junctions that would shorten it most, and\n"
      "                        the command line to use once they exist; the report\n"
      "                        gives the length the list will then have\n"
      "  --junctions-in DIR    with --suggest: make them in DIR (default: the root\n"
      "                        of each target's drive)\n"
      "  --wait SECONDS        how long each drive or share may take to answer\n"
      "                        (default 2; 0: as long as it takes); the entries on\n"
      "                        one that does not are kept as given\n"
      "  --help, -h, /?        this text\n"
      "  --version             the version\n"
      "\n"
      "Exit status:\n";
  for (const ExitStatusMeaning& exit : kExitStatuses) {
    text += Wrapped("  " + std::to_string(exit.status) + "  " + exit.meaning, 5);
  }
  return text;
}

ParsedCommandLine ParseCommandLine(int argc, const char* const* argv) {
  ParsedCommandLine parsed;
  CommandLine& line = parsed.line;
  const auto fail = [&parsed](const std::string& complaint) {
    parsed.complaint = complaint + "\n";
    return parsed;
  };
  using Source = CommandLine::Source;
  const auto setSource = [&line](Source source, int index) {
    if (line.source != Source::kNone) return false;
    line.source = source;
    line.listIndex = index;
    return true;
  };
  // The tool's own flags: never the value of an option that takes one.
  const auto isFlag = [](std::string_view arg) {
    for (const char* flag :
         {"-j",        "--env",     "--junctions-in", "--target",  "--wait",  "--user",
          "--machine", "--suggest", "--verbose",      "--write",   "--force", "--check",
          "--json",    "--redact",  "--explain",      "--shadows", "--help",  "-h",
          "/?",        "--version"}) {
      if (arg == flag) return true;
    }
    return false;
  };
  // Each option once: a second one is a mistake the user should hear of,
  // whatever the option (-j alone names one junction a time).
  std::vector<std::string_view> seen;
  std::string helpAs = "--help";
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg != "-j" && isFlag(arg)) {
      const std::string_view as = arg == "-h" || arg == "/?" ? "--help" : arg;
      if (std::find(seen.begin(), seen.end(), as) != seen.end()) {
        return fail("Option [" + std::string(arg) + "] given twice");
      }
      seen.push_back(as);
      if (as == "--help") helpAs = std::string(arg);
    }
    // A Windows user types /user for --user: as a list, it would print
    // that word as the new PATH.
    if (arg.size() > 2 && arg.size() < 16 && arg[0] == '/' &&
        isFlag("--" + std::string(arg.substr(1)))) {
      return fail("Unknown flag [" + std::string(arg) + "]: did you mean --" +
                  std::string(arg.substr(1)) + "?");
    }
    // The options that take the next argument.
    if (arg == "-j" || arg == "--env" || arg == "--junctions-in" || arg == "--target" ||
        arg == "--wait") {
      if (i + 1 >= argc || isFlag(argv[i + 1])) {
        return fail("Missing value after [" + std::string(arg) + "]");
      }
      if ((arg == "--target" && line.target) ||
          (arg == "--junctions-in" && line.junctionsInGiven)) {
        return fail("Option [" + std::string(arg) + "] given twice");
      }
      const std::string value = argv[++i];
      if (arg == "--target") {
        // A whole number of characters, no more than a variable can hold.
        if (value.empty() || value.size() > 5 ||
            value.find_first_not_of("0123456789") != std::string::npos || std::stoul(value) == 0 ||
            std::stoul(value) > 32766) {
          return fail("Option [--target] needs a length from 1 to 32766, not [" + value + "]");
        }
        line.target = std::stoul(value);
      } else if (arg == "--wait") {
        // Seconds, to the millisecond, up to a day.
        const std::size_t point = value.find('.');
        const std::string whole = value.substr(0, point);
        const std::string fraction = point == std::string::npos ? "" : value.substr(point + 1);
        const auto digits = [](const std::string& text, std::size_t most) {
          return text.size() <= most && text.find_first_not_of("0123456789") == std::string::npos;
        };
        if (whole.empty() || !digits(whole, 5) || !digits(fraction, 3) ||
            (point != std::string::npos && fraction.empty()) || std::stoul(whole) > 86400) {
          return fail("Option [--wait] needs a number of seconds from 0 to 86400, not [" + value +
                      "]");
        }
        line.wait = std::chrono::milliseconds(std::stoul(whole) * 1000 +
                                              std::stoul((fraction + "000").substr(0, 3)));
      } else if (arg == "-j") {
        line.junctions.push_back(value);
      } else if (arg == "--junctions-in") {
        line.junctionsInGiven = true;
        line.junctionsIn = value;
      } else {
        if (!setSource(Source::kEnvironment, i)) return fail("Unexpected argument [--env]");
        line.variable = value;
      }
    } else if (arg == "-" || arg == "--user" || arg == "--machine") {
      const Source source = arg == "-"        ? Source::kStandardInput
                            : arg == "--user" ? Source::kUserPath
                                              : Source::kMachinePath;
      if (!setSource(source, i)) return fail("Unexpected argument [" + std::string(arg) + "]");
    } else if (arg == "--suggest") {
      line.suggest = true;
    } else if (arg == "--verbose") {
      line.verbose = true;
    } else if (arg == "--check") {
      line.check = true;
    } else if (arg == "--json") {
      line.json = true;
    } else if (arg == "--explain") {
      line.explain = true;
    } else if (arg == "--shadows") {
      line.shadows = true;
    } else if (arg == "--redact") {
      line.redact = true;
    } else if (arg == "--write") {
      line.write = true;
    } else if (arg == "--force") {
      line.force = true;
    } else if (arg == "--help" || arg == "-h" || arg == "/?") {
      line.help = true;
    } else if (arg == "--version") {
      line.version = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      // No list starts with '-': a drive, a share, a name or a '/'.
      return fail("Unknown flag [" + std::string(arg) + "]");
    } else if (!setSource(Source::kArgument, i)) {
      return fail("Unexpected argument [" + std::string(arg) + "]");
    }
  }
  if (line.help || line.version) {
    // Help or the version, and nothing else: a list after /? is a typo.
    if (argc > 2) {
      return fail("Option [" + (line.help ? helpAs : std::string("--version")) + "] goes alone");
    }
    return parsed;
  }
  if (line.write && line.source != Source::kUserPath && line.source != Source::kMachinePath &&
      line.source != Source::kNone) {
    return fail("Option [--write] needs --user or --machine");
  }
  if (line.write && line.suggest) return fail("Option [--write] does not go with --suggest");
  if (line.check && (line.write || line.suggest)) {
    return fail(std::string("Option [--check] does not go with ") +
                (line.write ? "--write" : "--suggest"));
  }
  if (line.json && line.suggest) return fail("Option [--json] does not go with --suggest");
  if (line.explain && (line.check || line.json || line.suggest)) {
    return fail(std::string("Option [--explain] does not go with ") + (line.check  ? "--check"
                                                                       : line.json ? "--json"
                                                                                   : "--suggest"));
  }
  if (line.shadows && (line.check || line.explain || line.suggest)) {
    return fail(std::string("Option [--shadows] does not go with ") + (line.check ? "--check"
                                                                       : line.explain
                                                                           ? "--explain"
                                                                           : "--suggest"));
  }
  if (line.redact && !line.check && !line.json && !line.explain && !line.shadows) {
    return fail("Option [--redact] needs --check, --json, --explain or --shadows");
  }
  if (line.force && !line.write) return fail("Option [--force] needs --write");
  if (line.junctionsInGiven && !line.suggest) {
    return fail("Option [--junctions-in] needs --suggest");
  }
  return parsed;
}

}  // namespace pathshrink
