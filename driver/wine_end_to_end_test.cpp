// The cross-built pathshrink.exe, run for real under Wine against
// directories made here (Wine shows the root of this file system as Z:).
// Expected short forms come from GetShortPathNameA itself, through a small
// probe program, since Wine's short names are hashed.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "driver/subprocess_for_tests.h"

namespace pathshrink {
namespace {

using testing::ProcessResult;
using testing::RunProcess;
using testing::TemporaryDirectory;

bool Exists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0;
}

// Windows programs write "\r\n" in text mode.
std::string Unix(std::string text) {
  std::string::size_type at;
  while ((at = text.find("\r\n")) != std::string::npos) text.erase(at, 1);
  return text;
}

std::string WindowsPath(std::string unixPath) {
  for (char& c : unixPath) {
    if (c == '/') c = '\\';
  }
  return "Z:" + unixPath;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::string::size_type start = 0;
  while (start < text.size()) {
    const std::string::size_type end = text.find('\n', start);
    lines.push_back(text.substr(start, end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return lines;
}

class WineEndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Exists(PATHSHRINK_WINE64) || !Exists(PATHSHRINK_WINDOWS_EXE) ||
        !Exists(PATHSHRINK_SHORT_PATH_PROBE)) {
      const char* required = std::getenv("PATHSHRINK_REQUIRE_WINE");
      if (required != nullptr && std::string(required) == "1") {
        FAIL() << "Wine or the Windows build is missing: " PATHSHRINK_WINE64
                  ", " PATHSHRINK_WINDOWS_EXE;
      }
      GTEST_SKIP() << "needs wine64 and the windows preset's build";
    }
  }

  ProcessResult RunWine(const std::string& program, std::vector<std::string> args) {
    args.insert(args.begin(), {PATHSHRINK_WINE64, program});
    const char* prefix = std::getenv("WINEPREFIX");
    ProcessResult result = RunProcess(
        args, {"WINEDEBUG=-all", "WINEDLLOVERRIDES=mscoree,mshtml=",
               std::string("WINEPREFIX=") +
                   (prefix != nullptr ? prefix : PATHSHRINK_DEFAULT_WINEPREFIX)});
    result.out = Unix(result.out);
    result.err = Unix(result.err);
    return result;
  }
  ProcessResult Run(const std::vector<std::string>& args) {
    return RunWine(PATHSHRINK_WINDOWS_EXE, args);
  }
  // GetShortPathNameA's answer for each path; "?" where it fails.
  std::vector<std::string> ShortForms(const std::vector<std::string>& paths) {
    const ProcessResult probe = RunWine(PATHSHRINK_SHORT_PATH_PROBE, paths);
    EXPECT_EQ(probe.status, 0);
    return Lines(probe.out);
  }

  static std::string Report(const std::string& before, const std::string& after) {
    return "Original path [" + std::to_string(before.size()) + "]:\n" + before +
           "\n\nNew path [" + std::to_string(after.size()) + "]:\n";
  }

  TemporaryDirectory tmp;
};

TEST_F(WineEndToEndTest, ShortFormsNoRepeatsAndInvalidEntries) {
  tmp.MakeDirectories("Long Directory Name/Another Long One");
  const std::string base = WindowsPath(tmp.path());
  const std::vector<std::string> entries = {
      base + "\\Long Directory Name\\Another Long One",
      base + "\\Missing Directory",
      base + "\\long directory name\\ANOTHER LONG ONE",
      base + "\\Long Directory Name\\Another Long One",
      "C:\\windows",
  };
  std::string list;
  for (const std::string& entry : entries) list += (list.empty() ? "" : ";") + entry;

  // What the tool should do, worked out from the system's own answers.
  const std::vector<std::string> shortForms = ShortForms(entries);
  ASSERT_EQ(shortForms.size(), entries.size());
  EXPECT_EQ(shortForms[1], "?");
  EXPECT_NE(shortForms[0], entries[0]);  // there is something to shorten
  std::string complaints, expected;
  std::set<std::string> seen;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (shortForms[i] == "?") {
      complaints += "[invalid entry '" + entries[i] + "']\n";
    } else if (seen.insert(shortForms[i]).second) {
      expected += (expected.empty() ? "" : ";") + shortForms[i];
    }
  }

  const ProcessResult result = Run({list});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, expected + "\n");
  EXPECT_EQ(result.err, complaints + Report(list, expected));
  EXPECT_LT(expected.size(), list.size());
}

TEST_F(WineEndToEndTest, UsageLineAndUnknownFlag) {
  ProcessResult result = Run({});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, "");
  const std::string usage = " fullpath [-j junction]+\n";
  ASSERT_GE(result.err.size(), usage.size());
  EXPECT_EQ(result.err.substr(result.err.size() - usage.size()), usage);
  EXPECT_NE(result.err.find("pathshrink"), std::string::npos) << result.err;

  result = Run({"C:\\windows", "-J", "C:\\windows"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, "Unknown flag [-J]\n");
}

TEST_F(WineEndToEndTest, JunctionsThatCannotBeReadAreReported) {
  tmp.MakeDirectories("Ordinary Directory");
  const std::string ordinary = WindowsPath(tmp.path()) + "\\Ordinary Directory";
  const std::string missing = WindowsPath(tmp.path()) + "\\Missing";
  const ProcessResult result =
      Run({"C:\\windows", "-j", ordinary, "-j", missing});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "C:\\windows\n");
  EXPECT_EQ(result.err, "[can't process junction '" + ordinary + "']\n" +
                            "[can't process junction '" + missing + "']\n" +
                            Report("C:\\windows", "C:\\windows"));
}

}  // namespace
}  // namespace pathshrink
