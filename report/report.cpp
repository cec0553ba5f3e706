#include "report/report.h"

#include <string>

#include "pathtext/path_spelling.h"

namespace pathshrink {
namespace {

void AddRepeat(std::string_view dropped, std::string_view kept, std::string& lines) {
  lines +=
      "[repeat '" + std::string(dropped) + "' left out: it names '" + std::string(kept) + "']\n";
}

}  // namespace

// `text` with its control characters shown as escapes, so that the line
// stays one line: \r, \n, \t, else \x and two hex digits.
std::string Escaped(std::string_view text) {
  std::string shown;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20) {
      shown += c;
    } else if (c == '\r') {
      shown += "\\r";
    } else if (c == '\n') {
      shown += "\\n";
    } else if (c == '\t') {
      shown += "\\t";
    } else {
      const char* digits = "0123456789abcdef";
      shown += "\\x";
      shown += digits[byte >> 4];
      shown += digits[byte & 0xF];
    }
  }
  return shown;
}

// The lines go out in one write: standard error writes each piece at once,
// and a list can have hundreds of entries to report.
void WriteFindings(const ResolvedList& resolved, bool verbose, std::ostream& err) {
  std::string lines;
  for (const EntryFinding& finding : resolved.findings) {
    switch (finding.kind) {
      case EntryFinding::Kind::kInvalid:
        lines += "[invalid entry '" + std::string(finding.given) + "']\n";
        break;
      case EntryFinding::Kind::kUnchecked:
        lines += "[unchecked entry '" + std::string(finding.given) +
                 "': " + std::string(finding.why) + "; kept as given]\n";
        break;
      case EntryFinding::Kind::kControlCharacters:
        lines += "[entry '" + Escaped(finding.given) +
                 "' holds a control character, which no directory's name can hold; left out]\n";
        break;
      case EntryFinding::Kind::kRepeat:
        if (verbose) AddRepeat(finding.given, resolved.entries[finding.repeats].Given(), lines);
        break;
    }
  }
  if (verbose) {
    for (const ResolvedEntry& entry : resolved.entries) {
      if (entry.Key().empty() || entry.Key()[0] != kFollowsVariableMark) continue;
      lines += "[entry '" + entry.Given() +
               "' follows its variable: it repeats only an entry written the same way, never the"
               " folder the variable names today]\n";
    }
  }
  err << lines;
}

void WriteListedByMachine(const ResolvedList& resolved, const std::vector<std::string>& listed,
                          std::ostream& err) {
  std::string lines;
  for (std::size_t i = 0; i < listed.size(); ++i) {
    if (listed[i].empty()) continue;
    lines += "[entry '" + resolved.entries[i].Given() + "' left out: the machine's Path lists" +
             " its folder as '" + listed[i] + "', and a new window searches that first]\n";
  }
  err << lines;
}

void WriteRepeatsMadeByJunctions(const ResolvedList& resolved, const WrittenList& written,
                                 std::ostream& err) {
  std::string lines;
  for (const auto& [dropped, kept] : written.repeats) {
    AddRepeat(resolved.entries[dropped].Given(), resolved.entries[kept].Given(), lines);
  }
  err << lines;
}

std::vector<UseWarning> WarningsAboutUse(const PathList& newList, bool readInOtherCodePage,
                                         const PathConventions& conventions) {
  std::vector<UseWarning> warnings;
  if (!conventions.win32Syntax) return warnings;
  const std::size_t length = Utf16Length(newList);
  // A variable holds at most 32,767 UTF-16 units with its terminating NUL.
  if (length > 32766) {
    warnings.push_back({"length", "the new list is " + std::to_string(length) +
                                      " characters long: Windows cannot hold a variable longer "
                                      "than 32766"});
  } else if (length > 8191) {
    warnings.push_back({"length", "the new list is " + std::to_string(length) +
                                      " characters long: cmd.exe ignores a PATH longer than 8191"});
  }
  if (readInOtherCodePage && length != newList.size()) {
    warnings.push_back({"codePage",
                        "the new list holds letters outside ASCII, written as UTF-8, and the "
                        "console's code page is not UTF-8: run chcp 65001 first, or they may be "
                        "misread"});
  }
  return warnings;
}

void WriteWarnings(const std::vector<UseWarning>& warnings, std::ostream& err) {
  for (const UseWarning& warning : warnings) err << "[" + warning.message + "]\n";
}

// Standard error writes each insertion at once: the list goes as it is
// (a copy of a long one would cost more than a write), the rest in pieces
// built first.
void WriteReport(std::string_view fullpath, const PathList& newList, std::ostream& err) {
  err << "Original path [" + std::to_string(fullpath.size()) + "]:\n";
  err << fullpath;
  err << "\n\nNew path [" + std::to_string(newList.size()) + "]:\n";
}

}  // namespace pathshrink
