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

#include "driver/expected_report_for_tests.h"
#include "driver/subprocess_for_tests.h"

namespace pathshrink {
namespace {

using testing::ExpectedReport;
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
        // UTF-8 on this side, so Wine hands Windows programs their
        // arguments in its ANSI code page (1252) the same way every time.
        args,
        {"LANG=C.UTF-8", "LC_ALL=C.UTF-8", "WINEDEBUG=-all", "WINEDLLOVERRIDES=mscoree,mshtml=",
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

  void ExpectCompacted(const std::vector<std::string>& entries,
                       std::string (*ansi)(const std::string&));

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
  EXPECT_EQ(result.err, complaints + ExpectedReport(list, expected));
  EXPECT_LT(expected.size(), list.size());
}

// Runs the tool on `entries` and checks it against the system's own short
// forms: each resolvable entry once, in order, and a complaint for each of
// the rest. `ansi` turns this side's text into what the tool sees.
void WineEndToEndTest::ExpectCompacted(const std::vector<std::string>& entries,
                                       std::string (*ansi)(const std::string&)) {
  const std::vector<std::string> shortForms = ShortForms(entries);
  ASSERT_EQ(shortForms.size(), entries.size());
  std::string list, complaints, expected;
  std::set<std::string> seen;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    list += (i == 0 ? "" : ";") + entries[i];
    if (shortForms[i] == "?") {
      complaints += "[invalid entry '" + ansi(entries[i]) + "']\n";
    } else if (seen.insert(shortForms[i]).second) {
      expected += (expected.empty() ? "" : ";") + shortForms[i];
    }
  }
  const ProcessResult result = Run({list});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, expected + "\n");
  EXPECT_EQ(result.err, complaints + ExpectedReport(ansi(list), expected));
}

std::string Unchanged(const std::string& text) { return text; }

// UTF-8 to code page 1252 for the letters used here (all in Latin-1).
std::string Latin1(const std::string& utf8) {
  std::string out;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c == 0xC3 && i + 1 < utf8.size()) {
      out += static_cast<char>(0xC0 | (static_cast<unsigned char>(utf8[++i]) & 0x3F));
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

TEST_F(WineEndToEndTest, PathsPast260CharactersAreShortenedWholeOrReported) {
  std::string deep;
  while (deep.size() < 300) deep += "/A Rather Long Directory Name";
  tmp.MakeDirectories(deep.substr(1));
  const std::string path = WindowsPath(tmp.path() + deep);
  ASSERT_GT(path.size(), 260u);
  ExpectCompacted({path, "C:\\windows", path}, &Unchanged);
}

TEST_F(WineEndToEndTest, NonAsciiLettersSurviveTheCodePage) {
  tmp.MakeDirectories(
      "Caf\xc3\xa9 Cr\xc3\xa8me/\xc3\x9c"
      "ber Lange Namen");
  const std::string base = WindowsPath(tmp.path());
  const std::vector<std::string> entries = {
      base +
          "\\Caf\xc3\xa9 Cr\xc3\xa8me\\\xc3\x9c"
          "ber Lange Namen",
      base + "\\Caf\xc3\xa9",  // missing: its complaint echoes the bytes
      base + "\\Caf\xc3\xa9 Cr\xc3\xa8me",
  };
  const std::vector<std::string> shortForms = ShortForms(entries);
  ASSERT_EQ(shortForms.size(), 3u);
  EXPECT_NE(shortForms[0], "?");
  EXPECT_EQ(shortForms[1], "?");
  ExpectCompacted(entries, &Latin1);
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
  const ProcessResult result = Run({"C:\\windows", "-j", ordinary, "-j", missing});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "C:\\windows\n");
  EXPECT_EQ(result.err, "[can't process junction '" + ordinary + "']\n" +
                            "[can't process junction '" + missing + "']\n" +
                            ExpectedReport("C:\\windows", "C:\\windows"));
}

}  // namespace
}  // namespace pathshrink
