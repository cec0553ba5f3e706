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
void WriteEntryLines(const RecordWalk& records, const ResolvedList& resolved, bool verbose,
                     std::ostream& err) {
  using Outcome = EntryRecord::Outcome;
  constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  // As resolving spelled each entry: by record, where it was resolved.
  const auto spelled = [&resolved](const EntryRecord& record) -> std::string_view {
    return record.resolvedIndex < resolved.entries.size()
               ? std::string_view(resolved.entries[record.resolvedIndex].Given())
               : record.given;
  };
  std::vector<std::size_t> resolvedIndexOf;  // by record
  std::string lines;
  records([&](const EntryRecord& record) {
    resolvedIndexOf.push_back(record.resolvedIndex);
    switch (record.outcome) {
      case Outcome::kMissing:
        if (!Kept(record)) lines += "[invalid entry '" + std::string(record.given) + "']\n";
        break;
      case Outcome::kUnchecked:
        lines += "[unchecked entry '" + std::string(record.given) +
                 "': " + std::string(record.why) + "; kept as given]\n";
        break;
      case Outcome::kControlCharacters:
        lines += "[entry '" + Escaped(record.given) +
                 "' holds a control character, which no directory's name can hold; left out]\n";
        break;
      case Outcome::kRepeat: {
        const std::size_t kept =
            record.repeatOf < resolvedIndexOf.size() ? resolvedIndexOf[record.repeatOf] : kNone;
        if (verbose && !Kept(record) && kept < resolved.entries.size()) {
          AddRepeat(spelled(record), resolved.entries[kept].Given(), lines);
        }
        break;
      }
      case Outcome::kListedByMachine:
        lines += "[entry '" + std::string(spelled(record)) +
                 "' left out: the machine's Path lists its folder as '" +
                 std::string(record.machineEntry) + "', and a new window searches that first]\n";
        break;
      case Outcome::kUnproven:
        lines += "[entry '" + std::string(record.given) + "' kept as given: '" +
                 std::string(record.unprovenForm) + "' would not lead to the same folder]\n";
        break;
      default:
        break;
    }
    if (verbose && record.resolvedIndex < resolved.entries.size()) {
      const std::string& key = resolved.entries[record.resolvedIndex].Key();
      if (!key.empty() && key[0] == kFollowsVariableMark) {
        lines += "[entry '" + std::string(spelled(record)) +
                 "' follows its variable: it repeats only an entry written the same way, never "
                 "the folder the variable names today]\n";
      }
    }
  });
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
