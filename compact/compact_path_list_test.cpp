#include "compact/compact_path_list.h"

#include <gtest/gtest.h>

#include <sstream>

#include "fsquery/fake_file_system.h"

namespace pathshrink {
namespace {

class CompactPathListTest : public ::testing::Test {
 protected:
  CompactPathListTest() {
    fs.AddDirectory("C:\\Program Files\\Tools", "C:\\PROGRA~1\\Tools");
    fs.AddDirectory("C:\\Program Files (x86)", "C:\\PROGRA~2");
    fs.AddDirectory("C:\\Programs Ten\\bin", "C:\\PROGRA~10\\bin");
    fs.AddDirectory("C:\\Windows\\System32", "C:\\Windows\\System32");
    fs.AddDirectory("C:\\a b\\.git", "C:\\AB~1\\GIT~1");
    fs.AddDirectory("C:\\semi;colon", "C:\\semi;colon");  // no short name
    fs.AddDirectory("C:\\J\\Tools", "C:\\J\\Tools");
  }

  std::string Compact(const std::string& list, const JunctionTable& table = {}) {
    return CompactPathList(table, list, fs, err);
  }

  FakeFileSystem fs;
  std::ostringstream err;
};

struct ListCase {
  const char* name;
  const char* input;
  const char* output;
  const char* complaints;
};

TEST_F(CompactPathListTest, SplitsResolvesAndDeduplicates) {
  const ListCase cases[] = {
      {"empty list", "", "", "[invalid entry '']\n"},
      {"one entry", "C:\\Program Files", "C:\\PROGRA~1", ""},
      {"trailing separator", "C:\\Windows;", "C:\\Windows", "[invalid entry '']\n"},
      {"empty middle entry", "C:\\Windows;;C:\\Program Files (x86)", "C:\\Windows;C:\\PROGRA~2",
       "[invalid entry '']\n"},
      {"separators only", ";;", "", "[invalid entry '']\n[invalid entry '']\n[invalid entry '']\n"},
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
      {"a short name longer than the name given", "C:\\a b\\.git;C:\\AB~1\\GIT~1", "C:\\a b\\.git",
       ""},
      {"quotes group, and are written only around a ';'",
       "\"C:\\Program Files\";\"C:\\semi;colon\";C:\\Windows",
       "C:\\PROGRA~1;\"C:\\semi;colon\";C:\\Windows", ""},
      {"an unbalanced quote hides nothing", "C:\\Windows;\"C:\\Nope;C:\\Program Files",
       "C:\\Windows;C:\\PROGRA~1", "[invalid entry '\"C:\\Nope']\n"},
      {"environment references stay as given, once",
       "%SystemRoot%\\system32;C:\\Windows;%SYSTEMROOT%\\System32\\;%%",
       "%SystemRoot%\\system32;C:\\Windows", "[invalid entry '%%']\n"},
      {"nothing is trimmed", " C:\\Windows;C:\\Windows ", "",
       "[invalid entry ' C:\\Windows']\n[invalid entry 'C:\\Windows ']\n"},
      {"every entry invalid", "a;b", "", "[invalid entry 'a']\n[invalid entry 'b']\n"},
  };
  for (const ListCase& c : cases) {
    err.str("");
    EXPECT_EQ(Compact(c.input), c.output) << c.name;
    EXPECT_EQ(err.str(), c.complaints) << c.name;
  }
}

TEST_F(CompactPathListTest, AsksOncePerEntryRepeatsIncluded) {
  Compact("C:\\Windows;C:\\Windows;;C:\\Nope");
  EXPECT_EQ(fs.shortNameQueries(), 4);
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
  // is the directory C:\PROGRA~1\T, and a junction to C:\X\Y.
  fs.AddDirectory("C:\\Program Files\\T\\z", "C:\\PROGRA~1\\T\\z");
  fs.AddDirectory("C:\\X\\Y\\z", "C:\\X\\Y\\z");
  const JunctionTable nested = {{"C:\\J", "c:\\progra~1", 12}, {"C:\\J\\T", "c:\\x\\y", 1}};
  EXPECT_EQ(Compact("C:\\Program Files\\T\\z;C:\\X\\Y\\z", nested), "C:\\J\\T\\z");
  EXPECT_EQ(err.str(), "");
}

}  // namespace
}  // namespace pathshrink
