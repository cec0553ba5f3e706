#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "compact/compact_path_list.h"
#include "pathtext/path_conventions.h"

namespace pathshrink {

// Every line the report writes about the list goes out from here, each in
// one insertion: standard error is unbuffered, so a line built piecewise
// would cost a write per piece.

// `text` with its control characters shown as escapes (\r, \n, \t, else
// \x and two hex digits), so that a line or a row stays in its lines.
std::string Escaped(std::string_view text);

// A line for each finding of resolving: entries left out as invalid,
// entries kept as given, and, with `verbose`, entries left out as repeats.
void WriteFindings(const ResolvedList& resolved, bool verbose, std::ostream& err);

// A line for each resolved entry of a user's Path that `listed` (by
// resolved entry) says the machine's Path lists.
void WriteListedByMachine(const ResolvedList& resolved, const std::vector<std::string>& listed,
                          std::ostream& err);

// A line for each entry that a junction made a repeat of another.
void WriteRepeatsMadeByJunctions(const ResolvedList& resolved, const WrittenList& written,
                                 std::ostream& err);

// What may go wrong with the new list where it is used: lengths that
// cmd.exe or Windows cannot take, letters its reader may misread.
struct UseWarning {
  const char* kind;     // "length", "codePage", "fragileShortName", "noShortNames", "cutBySetx"
  std::string message;  // the line, without its brackets
};
std::vector<UseWarning> WarningsAboutUse(const PathList& newList, bool readInOtherCodePage,
                                         const PathConventions& conventions);
// A line for each of them.
void WriteWarnings(const std::vector<UseWarning>& warnings, std::ostream& err);

// The lengths and the list as given, ending with the line that announces
// the new list.
void WriteReport(std::string_view fullpath, const PathList& newList, std::ostream& err);

}  // namespace pathshrink
