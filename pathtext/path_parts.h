#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "pathtext/path_conventions.h"

namespace pathshrink {

// Reading a path: where it starts, and the components after that. The one
// place that knows drives, shares and separators; the rules that normalize,
// identify and spell paths are built on it.

// The leading part of a path that names where it starts.
struct PathRoot {
  std::string text;        // as written in the normalized path
  std::size_t length = 0;  // how much of the input it took
  bool anchored = false;   // ".." cannot climb above it
};

// "C:\", "C:", "\\server\share", "\" or "/" as the platform reads them;
// nothing for a path relative to the current folder.
PathRoot ParseRoot(std::string_view path, const PathConventions& conventions);

// The components of `rest` (what follows a root), split at every separator,
// empty ones kept.
std::vector<std::string_view> Components(std::string_view rest, const PathConventions& conventions);

// `root` and `parts` joined by the platform's separator ("." for nothing).
std::string Joined(const PathRoot& root, const std::vector<std::string_view>& parts,
                   const PathConventions& conventions);

// Whether `path` is a "\\?\" or "\\.\" path, which Windows takes as it is.
bool IsDevicePath(std::string_view path);
// Whether `path` is a "\\?\UNC\" (or "\\.\UNC\") path, which Windows
// takes for the share "\\server\share" that follows.
bool IsDeviceUncPath(std::string_view path);

// How many bytes of `path` name where it starts; 0 for a path relative to
// the current folder.
std::size_t PathRootLength(std::string_view path, const PathConventions& conventions);

// Whether `path` names the same place wherever the tool runs: under Win32
// syntax it starts at a drive's root or a share ("C:foo" and "\foo" depend
// on the current drive and its folder); on POSIX it starts at "/".
bool IsAbsolutePath(std::string_view path, const PathConventions& conventions);

// The lengths of the leading parts of the normalized `path` that are whole
// directories below its first `rootLength` bytes, shortest first.
std::vector<std::size_t> ComponentEnds(std::string_view path, std::size_t rootLength,
                                       const PathConventions& conventions);

// Where the last component of `path` starts (after its last separator).
std::size_t LastComponentStart(std::string_view path, const PathConventions& conventions);

}  // namespace pathshrink
