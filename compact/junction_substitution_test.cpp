#include "compact/junction_substitution.h"

#include <gtest/gtest.h>

namespace pathshrink {
namespace {

// The entry, already in its short form, as the compactor writes it.
std::string Rewritten(const JunctionTable& table, PathConventions conventions,
                      const std::string& entry) {
  const std::string path = NormalizedPath(entry, conventions);
  const ResolvedEntry resolved = ResolvedEntry::Resolved(path, path, conventions);
  const auto rewritten = JunctionSubstitution(table, conventions).Rewritten(resolved);
  return rewritten ? std::string(rewritten->path) + std::string(rewritten->rest) : path;
}

struct SubstitutionCase {
  const char* name;
  const char* entry;
  const char* expected;
};

TEST(JunctionSubstitutionTest, MatchesWholeComponentsOfTheJunctionThatWritesItShortest) {
  const JunctionTable table = {
      {"C:\\J", "c:\\progra~1", 12},
      {"C:\\T", "c:\\progra~1\\tools", 4},       // later in the table, but shorter
      {"C:\\R", "d:\\", 2},                      // a drive root
      {"C:\\abcdefgh.ijk", "c:\\progra~2", 10},  // longer than the short form
      {"C:\\longer", "c:\\progra~3", 9},         // first, but another to its target is shorter
      {"C:\\s", "c:\\progra~3", 5},
      // Seven UTF-16 units, as Windows counts them, though eleven bytes.
      {"C:\\\xC3\x84\xC3\x84\xC3\x84\xC3\x84", "c:\\progra~4", 3},
      {"C:\\U", "\\\\server\\share", 2},
  };
  const SubstitutionCase cases[] = {
      {"below the target", "C:\\PROGRA~1\\Other\\bin", "C:\\J\\Other\\bin"},
      {"a longer target that writes it shorter", "C:\\PROGRA~1\\Tools\\bin", "C:\\T\\bin"},
      {"none that writes it shorter", "C:\\PROGRA~2\\a", "C:\\PROGRA~2\\a"},
      {"the target itself", "C:\\PROGRA~1", "C:\\J"},
      {"trailing separator", "C:\\PROGRA~1\\", "C:\\J"},
      {"forward slash", "C:\\PROGRA~1/x", "C:\\J\\x"},
      {"case is folded, the rest keeps its own", "c:\\Progra~1\\OTHER", "C:\\J\\OTHER"},
      {"not at a component boundary", "C:\\PROGRA~10\\bin", "C:\\PROGRA~10\\bin"},
      {"shorter than the target", "C:\\PROGRA~", "C:\\PROGRA~"},
      // A junction's path is never shorter than a drive's root.
      {"below a drive root", "D:\\Tools", "D:\\Tools"},
      {"a drive root itself", "D:\\", "D:\\"},
      {"no junction applies", "E:\\x", "E:\\x"},
      {"the shorter of two junctions to one target", "C:\\PROGRA~3\\x", "C:\\s\\x"},
      {"lengths in UTF-16 units", "C:\\PROGRA~4\\x", "C:\\\xC3\x84\xC3\x84\xC3\x84\xC3\x84\\x"},
      // Matched on its key, which has no "\\?\" prefix; the rest taken from
      // its spelling, which has.
      {"a device path", "\\\\?\\C:\\PROGRA~1\\Other\\bin", "C:\\J\\Other\\bin"},
      {"a device path to a share", "\\\\?\\UNC\\server\\share\\x", "C:\\U\\x"},
  };
  for (const SubstitutionCase& c : cases) {
    EXPECT_EQ(Rewritten(table, kWindowsConventions, c.entry), c.expected) << c.name;
  }
}

TEST(JunctionSubstitutionTest, KeepsCaseAndBackslashesOnPosix) {
  const JunctionTable table = {{"/j", "/opt", 2}};
  const SubstitutionCase cases[] = {
      {"below the target", "/opt/x", "/j/x"},
      {"another directory by case", "/Opt/x", "/Opt/x"},
      {"a backslash is part of a name", "/opt\\x", "/opt\\x"},
  };
  for (const SubstitutionCase& c : cases) {
    EXPECT_EQ(Rewritten(table, kPosixConventions, c.entry), c.expected) << c.name;
  }
}

TEST(JunctionSubstitutionTest, AnEmptyTargetMatchesNothing) {
  const JunctionTable table = {{"C:\\J", "", 1}};
  EXPECT_EQ(Rewritten(table, kWindowsConventions, "\\x"), "\\x");
}

TEST(JunctionSubstitutionTest, OfJunctionsThatWriteItAlikeTheFirstWins) {
  const JunctionTable table = {
      {"C:\\first", "c:\\progra~1", 5},
      {"C:\\other", "c:\\progra~1", 5},
      {"C:\\third\\x", "c:\\progra~1\\x", 1},  // another target, as long
  };
  EXPECT_EQ(Rewritten(table, kWindowsConventions, "C:\\PROGRA~1\\x"), "C:\\first\\x");
}

}  // namespace
}  // namespace pathshrink
