#include "junctions/suggestion_script.h"

namespace pathshrink {
namespace {

// Each '%' doubled: a batch file would take it for a reference.
std::string DoubledPercents(const std::string& text) {
  std::string escaped;
  for (const char c : text) {
    escaped += c;
    if (c == '%') escaped += '%';
  }
  return escaped;
}

// An argument as cmd.exe reads it: in double quotes where it holds a
// character that would end or change it (no Windows name holds a quote).
std::string CmdQuoted(const std::string& text) {
  if (!text.empty() && text.find_first_of(" \t&()[]{}^=;!'+,`~%") == std::string::npos) {
    return text;
  }
  return '"' + text + '"';
}

bool IsAscii(const std::string& text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

// An argument as sh reads it: in single quotes, each ' spelled '\''.
std::string ShQuoted(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

}  // namespace

std::string SuggestionScript(const std::vector<SuggestedJunction>& proposals,
                             const std::vector<std::string>& typedJunctions,
                             SuggestionLengths lengths, const std::string& source,
                             const std::string& restrictedFolder,
                             const PathConventions& conventions) {
  const bool windows = conventions.win32Syntax;
  const std::string comment = windows ? "REM " : "# ";
  const auto quoted = [windows](const std::string& text) {
    return windows ? CmdQuoted(text) : ShQuoted(text);
  };
  const std::string what = windows ? " junction" : " symbolic link";
  std::string script;
  if (proposals.empty()) {
    return comment + "No" + what + " would shorten this list enough to be worth making (" +
           std::to_string(lengths.with) + " characters).\n";
  }
  const bool one = proposals.size() == 1;
  script += comment + std::to_string(proposals.size()) + what +
            (one ? " that shortens" : "s that shorten") + " the list from " +
            std::to_string(lengths.without) + " to " + std::to_string(lengths.with) +
            " characters.\n";
  script += comment + (one ? "Make it" : "Make them") + ", then run:\n";
  script += comment + "pathshrink " + source;
  for (const std::string& junction : typedJunctions) script += " -j " + quoted(junction);
  for (const SuggestedJunction& p : proposals) script += " -j " + quoted(p.link);
  script += '\n';
  std::string commands;
  if (windows && !restrictedFolder.empty()) {
    // A folder that is there already may be a user's, made first to keep:
    // the script stops. Once made, Administrators own it (an owner may
    // always re-permit) and its DACL is replaced whole: /reset drops every
    // entry given explicitly, /inheritance:r what the drive's root lets
    // every user do, and /grant:r leaves Administrators and SYSTEM all,
    // Users and Authenticated Users (services too) read and run. A user
    // who put something in it meanwhile stops it too. Every step that
    // fails stops the script before the first link.
    const std::string folder = DoubledPercents(CmdQuoted(restrictedFolder));
    commands += "if exist " + folder + " (echo " + folder +
                " is there already, and may not be only administrators'; nothing made& exit /b"
                " 1)\n";
    commands += "mkdir " + folder + " || exit /b 1\n";
    commands += "icacls " + folder + " /setowner *S-1-5-32-544 || exit /b 1\n";
    commands += "icacls " + folder + " /reset || exit /b 1\n";
    commands += "icacls " + folder +
                " /inheritance:r /grant:r *S-1-5-32-544:(OI)(CI)F *S-1-5-18:(OI)(CI)F"
                " *S-1-5-32-545:(OI)(CI)RX *S-1-5-11:(OI)(CI)RX || exit /b 1\n";
    commands += "dir /a /b " + folder + " 2>nul | findstr \"^\" >nul && (echo " + folder +
                " is not empty: someone put something in it; nothing linked& exit /b 1)\n";
  }
  for (const SuggestedJunction& p : proposals) {
    if (windows) {
      commands += "mklink /J " + DoubledPercents(CmdQuoted(p.link)) + " \"" +
                  DoubledPercents(p.target) + "\"\n";
    } else {
      commands += "ln -s " + ShQuoted(p.target) + " " + ShQuoted(p.link) + "\n";
    }
  }
  if (windows && !IsAscii(commands)) {
    // cmd.exe reads each line of a batch file in the console's code page
    // when it comes to it: UTF-8 from here to the end, then the code page
    // it had.
    commands =
        "@for /f \"tokens=2 delims=:.\" %%C in ('chcp') do @set \"PATHSHRINK_CP=%%C\"\n"
        "@chcp 65001 >nul\n" +
        commands + "@chcp %PATHSHRINK_CP% >nul\n";
  }
  return script + commands;
}

}  // namespace pathshrink
