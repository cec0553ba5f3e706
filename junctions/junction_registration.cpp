#include "junctions/junction_registration.h"
#include "pathtext/path_key.h"
#include "pathtext/path_spelling.h"

namespace pathshrink {
namespace {

// The junction as the user meant it: absolute, so that entries written
// through it stay absolute, and without separators typed after it.
std::string JunctionPath(const std::string& typed, FileSystemQueries& queries,
                         const PathConventions& conventions) {
  return NormalizedPath(queries.AbsolutePath(typed), conventions);
}

}  // namespace

void RegisterJunction(const std::string& junction, FileSystemQueries& queries, JunctionTable& table,
                      std::ostream& err) {
  try {
    const PathConventions conventions = queries.Conventions();
    const std::string path = JunctionPath(junction, queries, conventions);
    const std::string target = queries.ReadJunctionTarget(path);
    std::string shortJunction;
    std::string shortTarget;
    if (!queries.ShortPathName(path, shortJunction)) {
      err << "[can't use junction '" + junction + "']\n";
      return;
    }
    // Each asked right after its short form (on POSIX the same look answers).
    const std::optional<DirectoryIdentity> opens = queries.Identity(shortJunction);
    if (!queries.ShortPathName(NormalizedPath(target, conventions), shortTarget)) {
      err << "[can't use junction '" + junction + "']\n";
      return;
    }
    const bool opensToTarget = opens && opens == queries.Identity(shortTarget);
    const std::int32_t savings = JunctionSavings(target, path);
    if (savings <= 0) return;  // no shorter than its target: no use
    shortJunction = NormalizedPath(std::move(shortJunction), conventions);
    std::string pathKey = PathKey(shortJunction, conventions);
    if (shortJunction != path) shortJunction = ShortestSpelling(shortJunction, path, conventions);
    shortTarget = NormalizedPath(std::move(shortTarget), conventions);
    if (conventions.foldsCase) shortTarget = FoldCase(std::move(shortTarget));
    table.push_back({std::move(shortJunction), std::move(shortTarget), savings, std::move(pathKey),
                     opensToTarget});
  } catch (...) {
    // Whatever went wrong, this junction is unusable; the rest still count.
    err << "[can't process junction '" + junction + "']\n";
  }
}

}  // namespace pathshrink
