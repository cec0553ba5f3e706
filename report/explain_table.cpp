#include "report/explain_table.h"

#include <algorithm>
#include <string>
#include <vector>

#include "pathtext/path_spelling.h"
#include "pathtext/utf16_to_utf8.h"
#include "report/report.h"

namespace pathshrink {
namespace {

using Outcome = EntryRecord::Outcome;

constexpr std::string_view kLeftOut = "(left out)";

// The code point that starts at `at` in `text`, and its length in bytes;
// a byte that starts no sequence is one of its own.
char32_t CodePointAt(std::string_view text, std::size_t at, std::size_t& length) {
  const auto lead = static_cast<unsigned char>(text[at]);
  length = std::max<std::size_t>(1, Utf8SequenceLength(lead));
  if (at + length > text.size()) length = 1;
  if (length == 1) return lead;
  char32_t point = lead & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) {
    point = (point << 6) | (static_cast<unsigned char>(text[at + i]) & 0x3F);
  }
  return point;
}

// The columns a terminal gives a code point: none to a combining mark, a
// joiner or a variation selector (they stand on the one before), two to an
// East Asian wide or fullwidth character and to an emoji, else one.
std::size_t DisplayColumns(char32_t c) {
  if ((c >= 0x0300 && c <= 0x036F) || (c >= 0x1AB0 && c <= 0x1AFF) ||
      (c >= 0x1DC0 && c <= 0x1DFF) || (c >= 0x20D0 && c <= 0x20FF) ||
      (c >= 0xFE20 && c <= 0xFE2F) || (c >= 0xFE00 && c <= 0xFE0F) || c == 0x200B || c == 0x200C ||
      c == 0x200D || (c >= 0xE0100 && c <= 0xE01EF)) {
    return 0;
  }
  if ((c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) ||
      (c >= 0x3041 && c <= 0x33FF) || (c >= 0x3400 && c <= 0x4DBF) ||
      (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF) ||
      (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
      (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
      (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1F64F) ||
      (c >= 0x1F900 && c <= 0x1F9FF) || (c >= 0x20000 && c <= 0x3FFFD)) {
    return 2;
  }
  return 1;
}

// The lines `text` takes in a column `width` display columns wide: cut
// after a separator, a space or a '-', '.' or '_' in the second half of the
// line, else at the width; a character is never split, nor parted from the
// marks that stand on it.
std::vector<std::string> Wrapped(const std::string& text, std::size_t width) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t at = start;
    std::size_t count = 0;
    std::size_t lastBreak = std::string::npos;
    while (at < text.size()) {
      std::size_t length = 0;
      const std::size_t columns = DisplayColumns(CodePointAt(text, at, length));
      if (columns > 0 && count + columns > width && at > start) break;
      const char c = text[at];
      at += length;
      count += columns;
      if (c == '\\' || c == '/' || c == ' ' || c == ';' || c == '-' || c == '.' || c == '_') {
        lastBreak = at;
      }
    }
    if (at < text.size() && lastBreak != std::string::npos && lastBreak > start &&
        (lastBreak - start) * 2 >= at - start) {
      at = lastBreak;
    }
    lines.push_back(text.substr(start, at - start));
    start = at;
  }
  if (lines.empty()) lines.emplace_back();
  return lines;
}

std::size_t Columns(std::string_view text) {
  std::size_t count = 0;
  for (std::size_t at = 0, length = 0; at < text.size(); at += length) {
    count += DisplayColumns(CodePointAt(text, at, length));
  }
  return count;
}

// A row of cells, each wrapped in its column, padded to it; the last cell
// right-aligned.
void WriteRow(const std::vector<std::string>& cells, const std::vector<std::size_t>& widths,
              std::string& text) {
  std::vector<std::vector<std::string>> wrapped;
  std::size_t height = 1;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    wrapped.push_back(Wrapped(cells[i], widths[i]));
    height = std::max(height, wrapped.back().size());
  }
  for (std::size_t line = 0; line < height; ++line) {
    std::string row;
    for (std::size_t i = 0; i < cells.size(); ++i) {
      const std::string piece = line < wrapped[i].size() ? wrapped[i][line] : std::string();
      const std::string pad(widths[i] - std::min(widths[i], Columns(piece)), ' ');
      const bool right = i == 0 || i + 1 == cells.size();
      if (i > 0) row += "  ";
      row += right ? pad + piece : piece + pad;
    }
    while (!row.empty() && row.back() == ' ') row.pop_back();
    text += row + "\n";
  }
}

}  // namespace

std::string ExplainWhy(const EntryRecord& record, bool target) {
  std::string why;
  switch (record.outcome) {
    case Outcome::kAsGiven:
      why = target                             ? "as given: the target needs it no shorter"
            : !record.withoutShortName.empty() ? std::string(record.withoutShortName)
                                               : "as short as it gets";
      break;
    case Outcome::kShortForm:
      why = "short name";
      break;
    case Outcome::kJunction:
      why = "junction " + std::string(record.junction);
      break;
    case Outcome::kReference:
      why = record.written == record.given ? "its references kept"
                                           : "short names after its references";
      break;
    case Outcome::kProfileVariable:
      why = "profile variable";
      break;
    case Outcome::kUnchecked:
      why = "kept as given: " + std::string(record.why);
      break;
    case Outcome::kMissing:
      why = "not there";
      break;
    case Outcome::kRepeat:
      why = "repeat of #" + std::to_string(record.repeatOf + 1);
      break;
    case Outcome::kControlCharacters:
      why = "holds a control character";
      break;
    case Outcome::kListedByMachine:
      why = "the machine's Path lists it first, as " + std::string(record.machineEntry);
      break;
    case Outcome::kUnproven:
      why = "kept as given: its shorter form would not lead to the same folder";
      break;
  }
  if (Kept(record) && (record.outcome == Outcome::kMissing || record.outcome == Outcome::kRepeat)) {
    why += "; kept as given, as the list is within the target";
  }
  if (record.putBack) why = "put back: the machine's Path no longer lists it; " + why;
  if (!record.writtenFor.empty()) {
    why = (Kept(record) ? "written for its folder again ('" : "its folder is gone ('") +
          std::string(record.writtenFor) + "'); " + why;
  }
  if (!record.userChangeable.empty()) {
    why +=
        "; users other than administrators can change '" + std::string(record.userChangeable) + "'";
  }
  return why;
}

long Saving(const EntryRecord& record) {
  // A put-back entry is not in the list as given: it costs itself and a ';'.
  if (record.putBack) return -static_cast<long>(Utf16Length(record.written)) - 1;
  const std::size_t given = Utf16Length(record.given);
  return Kept(record) ? static_cast<long>(given) - static_cast<long>(Utf16Length(record.written))
                      : static_cast<long>(given) + 1;
}

void WriteExplainTable(const RecordWalk& records, std::string_view before, std::string_view after,
                       std::size_t columns, bool target, const Redactor& redact,
                       std::ostream& out) {
  // #, entry, becomes, why, saves: the three texts share what the number
  // columns and the gaps between them leave; '#' as wide as the last row's.
  std::size_t rows = 0;
  if (records) records([&rows](const EntryRecord&) { ++rows; });
  const std::size_t number = std::max<std::size_t>(4, std::to_string(rows).size());
  const std::size_t saves = 6;
  const std::size_t room = std::max<std::size_t>(columns, 60) - number - saves - std::size_t{4} * 2;
  const std::size_t entry = room * 36 / 100;
  const std::size_t becomes = room * 30 / 100;
  const std::vector<std::size_t> widths = {number, entry, becomes, room - entry - becomes, saves};
  std::string text;
  WriteRow({"#", "entry", "becomes", "why", "saves"}, widths, text);
  std::size_t index = 0;
  const auto row = [&](const EntryRecord& record) {
    WriteRow({std::to_string(++index), Escaped(redact(record.given)),
              Kept(record) ? Escaped(redact(record.written)) : std::string(kLeftOut),
              redact(ExplainWhy(record, target)), std::to_string(Saving(record))},
             widths, text);
    if (text.size() > std::size_t{16} * 1024) {
      out << text;
      text.clear();
    }
  };
  if (records) records(row);
  const std::size_t was = Utf16Length(before);
  const std::size_t is = Utf16Length(after);
  WriteRow({"", "total", "before " + std::to_string(was) + ", after " + std::to_string(is),
            "characters, as Windows counts",
            std::to_string(static_cast<long>(was) - static_cast<long>(is))},
           widths, text);
  out << text;
}

}  // namespace pathshrink
