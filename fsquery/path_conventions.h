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

// A text's length as Windows counts it (its limits on PATH are in UTF-16
// units): a letter outside ASCII is one unit or, past U+FFFF, two.
std::size_t Utf16Length(std::string_view text);

// Lower-cases A to Z only, whatever the locale: the other bytes of a UTF-8
// name pass through untouched, so no two different names are ever merged.
std::string FoldCase(std::string text);

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

// How many bytes of `path` name where it starts: "C:\", "C:",
// "\\server\share", "\" or "/"; 0 for a path relative to the current folder.
std::size_t PathRootLength(std::string_view path, const PathConventions& conventions);

// Whether `path` names the same place wherever the tool runs: under Win32
// syntax it starts at a drive's root or a share ("C:foo" and "\foo" depend
// on the current drive and its folder); on POSIX it starts at "/".
bool IsAbsolutePath(std::string_view path, const PathConventions& conventions);

// The identity of a normalized path: equal for two spellings of one
// directory. Folded where names ignore case.
std::string PathKey(std::string_view normalized, const PathConventions& conventions);

// `shortForm` with every component that is longer than the same component
// of `given` written as given (both normalized, the same directory): a short
// name can be longer than the name it stands for ("a b" -> "AB~1"). Lengths
// count as Windows counts them, in UTF-16 units: "日本" is 2, not 6.
// Returns `shortForm` when the two do not line up component by component.
std::string ShortestSpelling(const std::string& shortForm, const std::string& given,
                             const PathConventions& conventions);

// The length of the leading part of `other` that holds the same components
// as the first `length` bytes of `path`, which end at a component boundary
// (both normalized, with the same components): where the rest starts.
std::size_t AlignedLength(std::string_view path, std::size_t length, std::string_view other,
                          const PathConventions& conventions);

}  // namespace pathshrink
