#include "report/new_window_lengths.h"

#include "pathtext/path_spelling.h"

namespace pathshrink {

NewWindowLengths LengthsOf(const NewWindowText& before, const NewWindowText& after) {
  NewWindowLengths lengths;
  lengths.before = Utf16Length(before.window);
  lengths.after = Utf16Length(after.window);
  const auto judge = [&lengths](const LengthLimit& limit, const char* of, std::size_t was,
                                std::size_t is) {
    if (was > limit.length || is > limit.length) {
      lengths.crossed.push_back({limit, of, was > limit.length, is > limit.length});
    }
  };
  for (const LengthLimit& limit : kNewWindowLimits) {
    if (limit.eachValue) {
      judge(limit, "machine", Utf16Length(before.machine), Utf16Length(after.machine));
      judge(limit, "user", Utf16Length(before.user), Utf16Length(after.user));
    } else {
      judge(limit, "newWindow", lengths.before, lengths.after);
    }
  }
  return lengths;
}

std::string NewWindowLine(const NewWindowLengths& lengths) {
  std::string line = "a new window's PATH (the machine's Path, then the user's): " +
                     std::to_string(lengths.before) + " characters before, " +
                     std::to_string(lengths.after) + " after";
  for (const NewWindowLengths::Crossed& crossed : lengths.crossed) {
    const std::string of = crossed.of;
    line += of == "machine" ? "; the machine's Path past "
            : of == "user"  ? "; the user's Path past "
                            : "; past ";
    line += std::to_string(crossed.limit.length) + " " +
            (crossed.before && crossed.after ? "before and after"
             : crossed.before                ? "before"
                                             : "after") +
            ": " + crossed.limit.what;
  }
  return line;
}

}  // namespace pathshrink
