#include "pathtext/path_conventions.h"
#include "pathtext/path_spelling.h"

#include <gtest/gtest.h>

namespace pathshrink {
namespace {

TEST(PathConventionsTest, NormalizedSpellings) {
  const struct {
    const char* path;
    const char* windows;
    const char* posix;
  } cases[] = {
      {"", "", ""},
      {"C:\\Windows\\System32\\", "C:\\Windows\\System32", "C:\\Windows\\System32\\"},
      {"C:/Windows//System32", "C:\\Windows\\System32", "C:/Windows/System32"},
      {"C:\\Windows\\.\\System32\\..\\System32", "C:\\Windows\\System32",
       "C:\\Windows\\.\\System32\\..\\System32"},
      {"C:\\..\\..\\x", "C:\\x", "C:\\..\\..\\x"},
      {"C:\\", "C:\\", "C:\\"},
      {"C:\\.", "C:\\", "C:\\."},
      {"C:x\\..\\..\\y", "C:..\\y", "C:x\\..\\..\\y"},
      {"\\\\server\\share\\..\\x\\", "\\\\server\\share\\x", "\\\\server\\share\\..\\x\\"},
      {"\\\\?\\C:\\x\\..\\y\\", "\\\\?\\C:\\x\\..\\y\\", "\\\\?\\C:\\x\\..\\y\\"},
      {"a\\..\\..\\b", "..\\b", "a\\..\\..\\b"},
      {"/usr//local/./bin/", "\\usr\\local\\bin", "/usr/local/bin"},
      {"/usr/local/../bin", "\\usr\\bin", "/usr/local/../bin"},
      {"//", "\\\\", "/"},
      // A device path written otherwise than "\\?\" exactly is read from the
      // device's root on, where "C:" is a name like any other.
      {"\\\\?/C:\\..\\x", "\\\\?\\x", "\\\\?/C:\\..\\x"},
      // Past eight and sixteen bytes, where POSIX paths are read a block at
      // a time, the last block overlapping the one before.
      {"/abcdef//ghijklmnop", "\\abcdef\\ghijklmnop", "/abcdef/ghijklmnop"},
      {"/abcdefghijklmno/.", "\\abcdefghijklmno", "/abcdefghijklmno"},
      {"/abcdefghijklmnop/", "\\abcdefghijklmnop", "/abcdefghijklmnop"},
      {"/abcdef/.hidden/x", "\\abcdef\\.hidden\\x", "/abcdef/.hidden/x"},
      {"./", ".", "."},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(NormalizedPath(c.path, kWindowsConventions), c.windows) << c.path;
    EXPECT_EQ(NormalizedPath(c.path, kPosixConventions), c.posix) << c.path;
  }
}

TEST(PathConventionsTest, ShortestSpellingTakesTheShorterOfEachComponent) {
  const struct {
    const char* shortForm;
    const char* given;
    const char* spelled;
  } cases[] = {
      {"C:\\PROGRA~1\\AB~1", "C:\\Program Files\\a b", "C:\\PROGRA~1\\a b"},
      {"C:\\GIT~1", "c:\\.git", "C:\\.git"},
      // Seven UTF-16 units, 21 bytes: shorter than its eight-letter short name.
      {"C:\\____~RMR",
       "C:\\\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e\xe3\x81\xae\xe3\x83\x87\xe3\x82\xa3\xe3\x83\xac",
       "C:\\\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e\xe3\x81\xae\xe3\x83\x87\xe3\x82\xa3\xe3\x83\xac"},
      // Eight ASCII letters, then two of three bytes each: ten units.
      {"C:\\ABCDEFGH~123", "C:\\abcdefgh\xe6\x97\xa5\xe6\x9c\xac",
       "C:\\abcdefgh\xe6\x97\xa5\xe6\x9c\xac"},
      {"C:\\PROGRA~1", "C:\\Program Files", "C:\\PROGRA~1"},
      {"\\\\srv\\share\\AB~1", "\\\\srv\\share\\a b", "\\\\srv\\share\\a b"},
      {"C:\\X\\AB~1", "C:\\a b", "C:\\X\\AB~1"},  // not lined up: as answered
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ShortestSpelling(c.shortForm, c.given, kWindowsConventions), c.spelled) << c.given;
  }
}

}  // namespace
}  // namespace pathshrink
