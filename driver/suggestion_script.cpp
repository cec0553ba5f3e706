#include "driver/suggestion_script.h"

namespace pathshrink {
namespace {

// An argument as cmd.exe reads it: in double quotes where it holds a
// character that would end or change it (no Windows name holds a quote).
std::string CmdQuoted(const std::string& text) {
  if (!text.empty() && text.find_first_of(" \t&()[]{}^=;!'+,`~%") == std::string::npos) {
    return text;
  }
  return '"' + text + '"';
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
                             const std::vector<std::string>& given, SuggestionLengths lengths,
                             const std::string& source, const PathConventions& conventions) {
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
  for (const std::string& junction : given) script += " -j " + quoted(junction);
  for (const SuggestedJunction& p : proposals) script += " -j " + quoted(p.link);
  script += '\n';
  for (const SuggestedJunction& p : proposals) {
    if (windows) {
      script += "mklink /J " + CmdQuoted(p.link) + " \"" + p.target + "\"\n";
    } else {
      script += "ln -s " + ShQuoted(p.target) + " " + ShQuoted(p.link) + "\n";
    }
  }
  return script;
}

}  // namespace pathshrink
