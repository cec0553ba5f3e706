#include "compact/compact_path_list.h"

#include <gtest/gtest.h>

#include <sstream>

#include "testing/fake_file_system.h"
#include "testing/in_memory_environment.h"

namespace pathshrink {
namespace {

class CompactPathListTest : public ::testing::Test {
 protected:
  CompactPathListTest() {
    fs.AddDirectory("C:\\Program Files\\Tools", "C:\\PROGRA~1\\Tools");
    fs.AddDirectory("C:\\Program Files (x86)", "C:\\PROGRA~2");
    fs.AddDirectory("C:\\Program Files (Arm)\\Common Files", "C:\\PROGRA~3\\COMMON~1");
    fs.AddDirectory("C:\\Programs Ten\\bin", "C:\\PROGRA~10\\bin");
    fs.AddDirectory("C:\\Windows\\System32", "C:\\Windows\\System32");
    fs.AddDirectory("C:\\a b\\.git", "C:\\AB~1\\GIT~1");
    // Résumé with combining acutes: eight UTF-16 units, as many as its short name.
    fs.AddDirectory("C:\\Re\xCC\x81sume\xCC\x81", "C:\\RESUME~1");
    fs.AddDirectory("C:\\semi;colon", "C:\\semi;colon");  // no short name
    fs.AddDirectory("C:\\J\\Tools", "C:\\J\\Tools");
    fs.AddDirectory("C:\\Program Files\\Tools\\Long Name", "C:\\PROGRA~1\\Tools\\LONGNA~1");
    fs.AddDirectory("\\\\files\\share\\long directory", "\\\\files\\share\\long directory");
    fs.AddUncheckable("C:\\Secret", Unresolved::kAccessDenied);
    fs.AddUncheckable("\\\\nas\\share", Unresolved::kUnreachable);
    env.Set("SystemRoot", "C:\\Windows");
    env.Set("SystemDrive", "C:");
    env.Set("ProgramFiles(Arm)", "C:\\Program Files (Arm)");  // ARM64's own
    env.Set("CommonProgramFiles(Arm)", "C:\\Program Files (Arm)\\Common Files");
    env.Set("PF", "Program Files");
    env.Set("TOOLS", "C:\\Program Files\\Tools\\");
    env.Set("REL", "rel");
    env.Set("EMPTY", "");
  }

  // The new list; the findings of entries left out as invalid or kept as
  // given go to `complaints`, spelled as the report spells them.
  std::string Compact(const std::string& list, const JunctionTable& table = {}) {
    // With junctions, as the whole compaction runs: no references expanded.
    const ResolvedList resolved = ResolveEntries(list, fs, {table.empty() ? &env : nullptr});
    complaints.clear();
    for (const EntryFinding& finding : resolved.findings) {
      if (finding.kind == EntryFinding::Kind::kInvalid) {
        complaints += "[invalid entry '" + std::string(finding.given) + "']\n";
      } else if (finding.kind == EntryFinding::Kind::kControlCharacters) {
        complaints += "[control character in '" + std::string(finding.given) + "']\n";
      } else if (finding.kind == EntryFinding::Kind::kUnchecked) {
        complaints += "[unchecked entry '" + std::string(finding.given) +
                      "': " + std::string(finding.why) + "; kept as given]\n";
      }
    }
    if (!table.empty()) return CompactPathList(table, list, fs);
    return JoinEntries(WriteEntries(resolved.entries, table, kWindowsConventions));
  }

  FakeFileSystem fs;
  InMemoryEnvironment env;
  std::string complaints;
};

struct ListCase {
  const char* name;
  const char* input;
  const char* output;
  const char* complaints;
};

TEST_F(CompactPathListTest, SplitsResolvesAndDeduplicates) {
  const ListCase cases[] = {
      // An empty entry names nothing: no entry, and nothing said.
      {"empty list", "", "", ""},
      {"one entry", "C:\\Program Files", "C:\\PROGRA~1", ""},
      {"trailing separator", "C:\\Windows;", "C:\\Windows", ""},
      {"empty middle entry", "C:\\Windows;;C:\\Program Files (x86)", "C:\\Windows;C:\\PROGRA~2",
       ""},
      {"separators only", ";;", "", ""},
      {"first occurrence kept, in input order",
       "C:\\Nope;C:\\Windows;C:\\Program Files;C:\\windows\\;C:\\Windows",
       "C:\\Windows;C:\\PROGRA~1", "[invalid entry 'C:\\Nope']\n"},
      {"long and short spelling are one entry", "C:\\Program Files\\Tools;C:\\PROGRA~1\\Tools",
       "C:\\PROGRA~1\\Tools", ""},
      {"one directory in many spellings",
       "C:\\Windows\\System32;c:\\windows\\system32;C:\\Windows\\System32\\;"
       "C:/Windows/System32;C:\\Windows\\\\System32;C:\\Windows\\.\\System32;"
       "C:\\Windows\\System32\\..\\System32;C:\\Nope\\..\\Windows\\System32",
       "C:\\Windows\\System32", ""},
      {"a short name no shorter than the name given (combining accents): as given",
       "C:\\Re\xCC\x81sume\xCC\x81", "C:\\Re\xCC\x81sume\xCC\x81", ""},
      {"a short name longer than the name given", "C:\\a b\\.git;C:\\AB~1\\GIT~1", "C:\\a b\\.git",
       ""},
      {"quotes group, and are written only around a ';'",
       "\"C:\\Program Files\";\"C:\\semi;colon\";C:\\Windows",
       "C:\\PROGRA~1;\"C:\\semi;colon\";C:\\Windows", ""},
      {"an unbalanced quote hides nothing", "C:\\Windows;\"C:\\Nope;C:\\Program Files",
       "C:\\Windows;C:\\PROGRA~1", "[invalid entry '\"C:\\Nope']\n"},
      {"references: judged by where they lead, written as typed and shortened after; a "
       "variable of the user's is followed, and the folder it names today stays beside it",
       "%SystemRoot%\\system32;C:\\Windows\\System32;%SYSTEMROOT%\\System32\\;"
       "%tools%\\Long Name\\;C:\\PROGRA~1\\Tools\\Long Name;%TOOLS%\\long name",
       "%SystemRoot%\\system32;%tools%\\LONGNA~1;C:\\PROGRA~1\\Tools\\LONGNA~1", ""},
      {"references: a literal spelling first stays", "C:\\Windows;%SystemRoot%", "C:\\Windows", ""},
      {"references: ARM64's own variables are Windows' own, not followed",
       "%CommonProgramFiles(Arm)%;%ProgramFiles(Arm)%\\Common Files;"
       "C:\\Program Files (Arm)\\Common Files",
       "%CommonProgramFiles(Arm)%", ""},
      {"references: one of Windows' and one of the user's in one entry follow the user's, "
       "beside the folder it names today",
       "%SystemDrive%\\%PF%\\Tools;C:\\Program Files\\Tools",
       "%SystemDrive%\\%PF%\\Tools;C:\\PROGRA~1\\Tools", ""},
      {"references: two in one entry, and one inside a component",
       "%SystemDrive%\\%PF%\\Tools\\Long Name;C:\\%PF%\\Tools",
       "%SystemDrive%\\%PF%\\Tools\\LONGNA~1;C:\\%PF%\\Tools", ""},
      {"references that lead nowhere today are kept as typed",
       "%UNDEF%\\x;%SystemRoot%\\Nope;%SystemRoot%\\x%;C:\\100%\\bin;%SystemRoot%",
       "%UNDEF%\\x;%SystemRoot%\\Nope;%SystemRoot%\\x%;%SystemRoot%",
       "[unchecked entry '%UNDEF%\\x': %UNDEF% is not defined; kept as given]\n"
       "[unchecked entry '%SystemRoot%\\Nope': it leads to 'C:\\Windows\\Nope', not a directory"
       " now; kept as given]\n"
       "[unchecked entry '%SystemRoot%\\x%': a '%' without its partner; kept as given]\n"
       "[invalid entry 'C:\\100%\\bin']\n"},
      {"relative entries are kept as given, repeats by text dropped (and not said kept)",
       "bin;.\\x;..\\x;C:foo;\\rooted;BIN;%%;.\\C:\\Windows;C:\\Windows",
       "bin;.\\x;..\\x;C:foo;\\rooted;%%;.\\C:\\Windows;C:\\Windows",
       "[unchecked entry 'bin': relative to the current folder; kept as given]\n"
       "[unchecked entry '.\\x': relative to the current folder; kept as given]\n"
       "[unchecked entry '..\\x': relative to the current folder; kept as given]\n"
       "[unchecked entry 'C:foo': relative to the current folder; kept as given]\n"
       "[unchecked entry '\\rooted': relative to the current folder; kept as given]\n"
       "[unchecked entry '%%': relative to the current folder; kept as given]\n"
       "[unchecked entry '.\\C:\\Windows': relative to the current folder; kept as given]\n"},
      {"entries the system cannot check are kept as given, each the same only as its own text",
       "Q:\\tools;\\\\server\\share\\x;C:\\Secret\\bin;\\\\nas\\share\\bin;q:\\TOOLS\\",
       "Q:\\tools;\\\\server\\share\\x;C:\\Secret\\bin;\\\\nas\\share\\bin;q:\\TOOLS\\",
       "[unchecked entry 'Q:\\tools': its drive or share is not there; kept as given]\n"
       "[unchecked entry '\\\\server\\share\\x': its drive or share is not there; kept as given]\n"
       "[unchecked entry 'C:\\Secret\\bin': access denied; kept as given]\n"
       "[unchecked entry '\\\\nas\\share\\bin': the system could not check it; kept as given]\n"
       "[unchecked entry 'q:\\TOOLS\\': its drive or share is not there; kept as given]\n"},
      {"only what was judged has an identity",
       "%UNDEF%\\..\\C:\\Windows;C:\\Windows;%UNDEF%\\x;%OTHER%\\x",
       "%UNDEF%\\..\\C:\\Windows;C:\\Windows;%UNDEF%\\x;%OTHER%\\x",
       "[unchecked entry '%UNDEF%\\..\\C:\\Windows': %UNDEF% is not defined; kept as given]\n"
       "[unchecked entry '%UNDEF%\\x': %UNDEF% is not defined; kept as given]\n"
       "[unchecked entry '%OTHER%\\x': %OTHER% is not defined; kept as given]\n"},
      {"references: a '..' after them is written as typed, and a relative expansion is not judged",
       "%SystemRoot%\\..\\Windows;%REL%\\..\\C:\\Windows;%%SystemRoot%\\x;C:\\Windows",
       "%SystemRoot%\\..\\Windows;%REL%\\..\\C:\\Windows;%%SystemRoot%\\x",
       "[unchecked entry '%REL%\\..\\C:\\Windows': it leads to 'rel\\..\\C:\\Windows', not a"
       " directory now; kept as given]\n"
       "[unchecked entry '%%SystemRoot%\\x': it leads to '%C:\\Windows\\x', not a directory now;"
       " kept as given]\n"},
      {"references: an empty value in front of a share", "%EMPTY%\\\\files\\share\\long directory",
       "%EMPTY%\\\\files\\share\\long directory", ""},
      {"quotes that join several entries cost none of them",
       "C:\\Windows;\"C:\\Nope;C:\\Program Files;C:\\Windows\\System32\";C:\\Program Files (x86)",
       "C:\\Windows;\"C:\\Nope;C:\\Program Files;C:\\Windows\\System32\";C:\\PROGRA~2",
       "[unchecked entry '\"C:\\Nope;C:\\Program Files;C:\\Windows\\System32\"': its quotes join"
       " several entries into one that is not a directory; kept as given]\n"},
      {"a control character names no directory", "C:\\Windows\r\n;C:\\Program Files\tx;C:\\Windows",
       "C:\\Windows",
       "[control character in 'C:\\Windows\r\n']\n[control character in 'C:\\Program Files\tx']\n"},
      {"a \\\\?\\ path is the directory it names",
       "\\\\?\\C:\\Windows\\System32;C:\\windows\\system32", "\\\\?\\C:\\Windows\\System32", ""},
      {"and with a separator at its end, the same", "C:\\Windows;\\\\?\\C:\\Windows\\",
       "C:\\Windows", ""},
      {"nothing is trimmed", " C:\\Windows;C:\\Windows ", " C:\\Windows",
       "[unchecked entry ' C:\\Windows': relative to the current folder; kept as given]\n"
       "[invalid entry 'C:\\Windows ']\n"},
      {"every entry invalid", "C:\\a;C:\\b", "",
       "[invalid entry 'C:\\a']\n[invalid entry 'C:\\b']\n"},
  };
  for (const ListCase& c : cases) {
    EXPECT_EQ(Compact(c.input), c.output) << c.name;
    EXPECT_EQ(complaints, c.complaints) << c.name;
  }
}

TEST_F(CompactPathListTest, AsksOncePerEntryRepeatsIncluded) {
  Compact("C:\\Windows;C:\\Windows;;C:\\Nope");
  EXPECT_EQ(fs.shortNameQueries(), 3);  // the empty one is no entry
}

TEST_F(CompactPathListTest, RepeatsMadeByAJunctionAreDroppedToo) {
  const JunctionTable table = {{"C:\\J", "c:\\progra~1", 12}};
  // The entry given through the junction and the one the junction rewrites
  // are one directory; whichever comes first stays.
  EXPECT_EQ(Compact("C:\\Program Files\\Tools;C:\\Windows;"
                    "C:\\J\\Tools;C:\\Programs Ten\\bin",
                    table),
            "C:\\J\\Tools;C:\\Windows;C:\\PROGRA~10\\bin");
  EXPECT_EQ(Compact("C:\\j\\tools;C:\\Program Files\\Tools", table), "C:\\j\\tools");
  // A junction inside another's target, seen through the other: C:\J\T
  // is the directory C:\PROGRA~1\T, and a junction to C:\Xlong\Y.
  fs.AddDirectory("C:\\Program Files\\T\\z", "C:\\PROGRA~1\\T\\z");
  fs.AddDirectory("C:\\Xlong\\Y\\z", "C:\\Xlong\\Y\\z");
  const JunctionTable nested = {{"C:\\J", "c:\\progra~1", 12}, {"C:\\J\\T", "c:\\xlong\\y", 1}};
  EXPECT_EQ(Compact("C:\\Program Files\\T\\z;C:\\Xlong\\Y\\z", nested), "C:\\J\\T\\z");
  // Through a junction that writes nothing shorter (C:\d for D:\), or
  // through two junctions to one target: one directory all the same.
  fs.AddDirectory("D:\\x", "D:\\x");
  fs.AddDirectory("C:\\d\\x", "C:\\d\\x");
  fs.AddDirectory("C:\\e\\x", "C:\\e\\x");
  const JunctionTable toARoot = {{"C:\\d", "d:\\", 0}, {"C:\\e", "d:\\", 0}};
  EXPECT_EQ(Compact("D:\\x;C:\\d\\x;C:\\e\\x", toARoot), "D:\\x");
  EXPECT_EQ(Compact("C:\\e\\x;C:\\d\\x;D:\\x", toARoot), "C:\\e\\x");
  EXPECT_EQ(complaints, "");
  // With no junction named, a path through one and its target's all the
  // same: the system opens both to one directory.
  fs.AddJunction("C:\\J", "C:\\Program Files");
  EXPECT_EQ(Compact("C:\\J\\Tools;C:\\Windows;C:\\Program Files\\Tools"),
            "C:\\J\\Tools;C:\\Windows");
  EXPECT_EQ(Compact("C:\\Program Files\\Tools;C:\\J\\Tools"), "C:\\PROGRA~1\\Tools");
}

}  // namespace
}  // namespace pathshrink
