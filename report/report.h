#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "compact/compact_path_list.h"
#include "pathtext/path_conventions.h"
#include "report/entry_records.h"

namespace pathshrink {

// Every line the report writes about the list goes out from here, each in
// one insertion: standard error is unbuffered, so a line built piecewise
// would cost a write per piece.

// `text` with its control characters shown as escapes (\r, \n, \t, else
// \x and two hex digits), so that a line or a row stays in its lines.
std::string Escaped(std::string_view text);

// A line for each entry, from its record, in the list's order, where the
// new list does not hold it in a form of its own: left out as not there,
// as holding a control character, as one the machine's Path lists; kept
// as given because it cannot be judged, or because its shorter form did
// not lead to its folder; and, with `verbose`, left out as a repeat (of
// the entry named as `resolved` spells it), and following its variable.
// The same records make --check, --json and --explain.
void WriteEntryLines(const RecordWalk& records, const ResolvedList& resolved, bool verbose,
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
