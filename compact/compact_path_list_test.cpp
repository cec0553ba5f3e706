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
    fs.AddDirectory("C:\\Windows", "C:\\Windows");
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
       "C:\\Windows;C:\\PROGRA~1;C:\\windows\\", "[invalid entry 'C:\\Nope']\n"},
      {"long and short spelling are one entry", "C:\\Program Files\\Tools;C:\\PROGRA~1\\Tools",
       "C:\\PROGRA~1\\Tools", ""},
      // Short forms are compared byte for byte: the drive keeps its case.
      {"case-distinct short forms both stay", "C:\\Program Files;c:\\program files",
       "C:\\PROGRA~1;c:\\PROGRA~1", ""},
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

TEST_F(CompactPathListTest, SubstitutesAfterDeduplicating) {
  const JunctionTable table = {{"C:\\J", "c:\\progra~1", 12}};
  // Two spellings that differ in the drive's case are distinct short forms,
  // so both stay even though the junction makes them equal.
  EXPECT_EQ(Compact("C:\\Program Files\\Tools;C:\\Windows;"
                    "c:\\Program Files\\Tools;C:\\Programs Ten\\bin",
                    table),
            "C:\\J\\Tools;C:\\Windows;C:\\J\\Tools;C:\\PROGRA~10\\bin");
  EXPECT_EQ(err.str(), "");
}

}  // namespace
}  // namespace pathshrink
