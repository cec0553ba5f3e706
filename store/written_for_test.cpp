#include "store/written_for.h"

#include <gtest/gtest.h>

namespace pathshrink {
namespace {

TEST(WrittenForTest, ReadsOnlyLinesOfAbsoluteFoldersInAFileOfItsKind) {
  const std::string header = "pathshrink written-for 1\r\n";
  const struct {
    const char* name;
    std::string bytes;
    WrittenFor memory;
    std::size_t ignored;
  } cases[] = {
      {"one line",
       header + "C:\\PROGRA~1\tC:\\Program Files\r\n",
       {{"C:\\PROGRA~1", "C:\\Program Files"}},
       0},
      {"line feeds alone",
       "pathshrink written-for 1\nC:\\A~1\tC:\\A b\n",
       {{"C:\\A~1", "C:\\A b"}},
       0},
      {"another kind of file", "pathshrink written-for 2\r\nC:\\A~1\tC:\\A b\r\n", {}, 2},
      {"no written side", header + "\tC:\\A b\r\n", {}, 1},
      {"no folder", header + "C:\\A~1\t\r\n", {}, 1},
      {"no tab", header + "C:\\A~1 C:\\A b\r\n", {}, 1},
      {"a relative folder", header + "C:\\A~1\tA b\r\n", {}, 1},
      {"a folder on a drive's current folder", header + "C:\\A~1\tC:A b\r\n", {}, 1},
      {"a control character",
       header + "C:\\A~1\tC:\\A\x01"
                "b\r\n",
       {},
       1},
      {"an entry quoted for its ';'",
       header + "\"C:\\A;B~1\"\tC:\\A;b c\r\n",
       {{"\"C:\\A;B~1\"", "C:\\A;b c"}},
       0},
  };
  for (const auto& c : cases) {
    std::size_t ignored = 99;
    EXPECT_EQ(ParseWrittenFor(c.bytes, ignored), c.memory) << c.name;
    EXPECT_EQ(ignored, c.ignored) << c.name;
  }
  const WrittenFor memory = {{"C:\\A~1", "C:\\A b"}, {"%LOCALAPPDATA%\\X~1", "C:\\U\\x y"}};
  std::size_t ignored = 99;
  EXPECT_EQ(ParseWrittenFor(FormatWrittenFor(memory), ignored), memory);
  EXPECT_EQ(ignored, 0u);
}

}  // namespace
}  // namespace pathshrink
