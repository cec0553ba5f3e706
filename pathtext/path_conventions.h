#pragma once

#include <string>
#include <string_view>

namespace pathshrink {

// How a platform spells paths: what separates components, whether names
// that differ only in case name the same file, and whether paths follow
// Win32's syntax (drive letters, UNC roots, "." and ".." resolved by text).
struct PathConventions {
  bool foldsCase;
  const char* separators;  // one or two; the first is the one written
  bool win32Syntax;

  bool IsSeparator(char c) const;
  char Separator() const { return separators[0]; }
};

// Windows: components end at either slash, and names ignore case.
inline constexpr PathConventions kWindowsConventions{true, "\\/", true};
// POSIX: only '/' separates, and names are case-sensitive.
inline constexpr PathConventions kPosixConventions{false, "/", false};

// Asked for every byte of every path: two plain comparisons, no loop.
inline bool PathConventions::IsSeparator(char c) const {
  return c == separators[0] || (c == separators[1] && c != '\0');
}

// The path spelled plainly: one separator (the platform's own) between
// components, none at the end except after a root ("C:\", "/"), no "."
// components. Under Win32 syntax ".." takes the component before it away,
// as Win32 itself does before it looks at the disk, and never climbs above
// a root; on POSIX it stays, since a link may make it lead elsewhere. An
// empty path stays empty; "\\?\" and "\\.\" paths are taken as they are.
std::string NormalizedPath(std::string path, const PathConventions& conventions);

// Whether NormalizedPath would give `path` back unchanged (it may say no
// for a few paths that would come back unchanged, never the other way).
bool IsNormalized(std::string_view path, const PathConventions& conventions);

}  // namespace pathshrink
