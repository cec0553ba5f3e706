#pragma once

#include <cstddef>
#include <ostream>
#include <string_view>

#include "report/entry_records.h"
#include "report/redactor.h"

namespace pathshrink {

// The width of the --explain table where standard output is no console.
inline constexpr std::size_t kExplainColumns = 100;

// What --explain writes: a row for each record, in order (its position,
// the entry as given, what it becomes or "(left out)", why, and the
// characters it saves), then a total with the list's length before and
// after. `columns` wide (at least 60 are used); a text longer than its
// column wraps within it, never the row. Lengths are UTF-16 units, as
// Windows counts. `target`: the list was written no shorter than a target
// needed, so an entry written as given may have a shorter form.
void WriteExplainTable(const RecordWalk& records, std::string_view before, std::string_view after,
                       std::size_t columns, bool target, const Redactor& redact, std::ostream& out);

// The reason a record gives in the table's "why" column.
std::string ExplainWhy(const EntryRecord& record, bool target);

// The characters, in UTF-16 units, the entry's record saves: what it is
// shorter by, or, left out, itself and the ';' that joined it; put back,
// less than nothing: it and its ';' are added.
long Saving(const EntryRecord& record);

}  // namespace pathshrink
