#include "driver/run_pathshrink.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "compact/compact_path_list.h"
#include "compact/junction_table.h"
#include "driver/junction_registration.h"

namespace pathshrink {
namespace {

// Each line goes out in one insertion: standard error is unbuffered, so a
// line built piecewise would cost a write per piece.
void WriteReport(std::string_view fullpath, const PathList& newList, std::ostream& err) {
  err << "Original path [" + std::to_string(fullpath.size()) + "]:\n";
  std::string line;
  line.reserve(fullpath.size() + 1);
  line.append(fullpath).push_back('\n');
  err << line;
  err << "\n";
  err << "New path [" + std::to_string(newList.size()) + "]:\n";
}

}  // namespace

int RunPathShrink(int argc, const char* const* argv, FileSystemQueries& queries, std::ostream& out,
                  std::ostream& err) {
  if (argc < 2) {
    // Some systems start a program with no argument 0 at all.
    const char* program = argc > 0 && argv[0] != nullptr ? argv[0] : "";
    err << std::string(program) + " fullpath [-j junction]+\n";
    return 1;
  }
  // The list is copied once, for the compactor; the report reads it here.
  const std::string_view fullpath = argv[1];

  JunctionTable junctions;
  // A last argument without a partner is never looked at.
  for (int cursor = 2; cursor < argc - 1; cursor += 2) {
    if (std::strcmp(argv[cursor], "-j") != 0) {
      err << "Unknown flag [" + std::string(argv[cursor]) + "]\n";
      return 1;
    }
    RegisterJunction(argv[cursor + 1], queries, junctions, err);
  }
  // Largest savings first; equal savings keep their command-line order, so
  // the junction given first is tried first.
  std::stable_sort(
      junctions.begin(), junctions.end(),
      [](const JunctionEntry& a, const JunctionEntry& b) { return a.savings > b.savings; });

  PathList newList = CompactPathList(junctions, PathList(fullpath), queries, err);
  WriteReport(fullpath, newList, err);
  newList.push_back('\n');
  out << newList;
  return 0;
}

}  // namespace pathshrink
