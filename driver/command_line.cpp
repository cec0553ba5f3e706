#include "driver/command_line.h"

#include <string_view>

namespace pathshrink {

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
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    // The options that take the next argument, whatever it holds.
    if (arg == "-j" || arg == "--env" || arg == "--junctions-in") {
      if (i + 1 >= argc) return fail("Missing value after [" + std::string(arg) + "]");
      const std::string value = argv[++i];
      if (arg == "-j") {
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
    } else if (arg == "--write") {
      line.write = true;
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
  if (line.help || line.version) return parsed;
  if (line.write && line.source != Source::kUserPath && line.source != Source::kMachinePath &&
      line.source != Source::kNone) {
    return fail("Option [--write] needs --user or --machine");
  }
  if (line.write && line.suggest) return fail("Option [--write] does not go with --suggest");
  if (line.junctionsInGiven && !line.suggest) {
    return fail("Option [--junctions-in] needs --suggest");
  }
  return parsed;
}

}  // namespace pathshrink
