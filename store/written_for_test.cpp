#include "store/written_for.h"

#include <gtest/gtest.h>

namespace pathshrink {
namespace {

TEST(WrittenForTest, ReadsOnlyLinesOfAbsoluteFoldersInAFileOfItsKind) {
  const std::string header = "pathshrink written-for 1\r\n";
  const std::string second = "pathshrink written-for 2\r\n";
  const struct {
    const char* name;
    std::string bytes;
    WrittenFor memory;
    std::size_t ignored;
    std::vector<LeftOut> leftOut;
  } cases[] = {
      {"one line",
       header + "C:\\PROGRA~1\tC:\\Program Files\r\n",
       {{"C:\\PROGRA~1", "C:\\Program Files"}},
       0},
      {"line feeds alone",
       "pathshrink written-for 1\nC:\\A~1\tC:\\A b\n",
       {{"C:\\A~1", "C:\\A b"}},
       0},
      {"another kind of file", "pathshrink written-for 3\r\nC:\\A~1\tC:\\A b\r\n", {}, 2},
      {"a left-out entry beside one written",
       second + "C:\\A~1\tC:\\A b\r\n*\t3\t%USERPROFILE%\\bin\tC:\\Users\\me\\bin\r\n",
       {{"C:\\A~1", "C:\\A b"}},
       0,
       {{3, "%USERPROFILE%\\bin", "C:\\Users\\me\\bin"}}},
      {"a left-out entry without its place", second + "*\t\tC:\\x\tC:\\x\r\n", {}, 1},
      {"a left-out entry whose place is not a number", second + "*\t1x\tC:\\x\tC:\\x\r\n", {}, 1},
      {"a left-out entry without the machine's", second + "*\t1\tC:\\x\r\n", {}, 1},
      {"a left-out entry with a control character", second + "*\t1\tC:\\x\x01\tC:\\x\r\n", {}, 1},
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
    std::vector<LeftOut> leftOut;
    EXPECT_EQ(ParseWrittenFor(c.bytes, ignored, &leftOut), c.memory) << c.name;
    EXPECT_EQ(ignored, c.ignored) << c.name;
    EXPECT_EQ(leftOut, c.leftOut) << c.name;
  }
  const WrittenFor memory = {{"C:\\A~1", "C:\\A b"}, {"%LOCALAPPDATA%\\X~1", "C:\\U\\x y"}};
  const std::vector<LeftOut> leftOut = {{0, "\"C:\\a;b\"", "C:\\A;B"}, {12, "C:\\x", "c:\\X"}};
  std::size_t ignored = 99;
  std::vector<LeftOut> read;
  EXPECT_EQ(ParseWrittenFor(FormatWrittenFor(memory, leftOut), ignored, &read), memory);
  EXPECT_EQ(ignored, 0u);
  EXPECT_EQ(read, leftOut);
}

}  // namespace
}  // namespace pathshrink
