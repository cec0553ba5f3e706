#include "report/new_window_lengths.h"

#include "pathtext/path_spelling.h"

namespace pathshrink {

NewWindowLengths LengthsOf(const std::string& before, const std::string& after) {
  NewWindowLengths lengths;
  lengths.before = Utf16Length(before);
  lengths.after = Utf16Length(after);
  for (const LengthLimit& limit : kNewWindowLimits) {
    const bool past = lengths.before > limit.length;
    const bool pastAfter = lengths.after > limit.length;
    if (past || pastAfter) lengths.crossed.push_back({limit, past, pastAfter});
  }
  return lengths;
}

std::string NewWindowLine(const NewWindowLengths& lengths) {
  std::string line = "a new window's PATH (the machine's Path, then the user's): " +
                     std::to_string(lengths.before) + " characters before, " +
                     std::to_string(lengths.after) + " after";
  for (const NewWindowLengths::Crossed& crossed : lengths.crossed) {
    line += "; past " + std::to_string(crossed.limit.length) + " " +
            (crossed.before && crossed.after ? "before and after"
             : crossed.before                ? "before"
                                             : "after") +
            ": " + crossed.limit.what;
  }
  return line;
}

}  // namespace pathshrink
