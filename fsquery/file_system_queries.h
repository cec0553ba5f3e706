#pragma once

#include <string>

namespace pathshrink {

// How a platform spells paths: what separates components and whether names
// that differ only in case name the same file.
struct PathConventions {
  bool foldsCase;
  const char* separators;

  bool IsSeparator(char c) const;
};

// The two questions the tool asks of the file system. Abstract so that the
// compactor and the driver can run against an in-memory volume in tests; the
// platform's realisation is chosen in main.
class FileSystemQueries {
 public:
  virtual ~FileSystemQueries() = default;

  // Replaces `shortPath` by the short (8.3) form of `path` and returns true,
  // or returns false and leaves `shortPath` untouched.
  virtual bool ShortPathName(std::string path, std::string& shortPath) = 0;

  // Returns the directory that the junction `path` points to; throws
  // std::runtime_error with one of the fixed texts in junction_errors.h.
  virtual std::string ReadJunctionTarget(std::string path) = 0;

  virtual PathConventions Conventions() const = 0;
};

// Windows: components end at either slash, and names ignore case.
inline constexpr PathConventions kWindowsConventions{true, "\\/"};
// POSIX: only '/' separates, and names are case-sensitive.
inline constexpr PathConventions kPosixConventions{false, "/"};

inline bool PathConventions::IsSeparator(char c) const {
  for (const char* s = separators; *s != '\0'; ++s) {
    if (*s == c) return true;
  }
  return false;
}

}  // namespace pathshrink
