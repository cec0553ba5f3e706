#include "driver/run_pathshrink.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "driver/expected_report_for_tests.h"
#include "fsquery/fake_file_system.h"

namespace pathshrink {
namespace {

using testing::ExpectedReport;

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

class RunPathShrinkTest : public ::testing::Test {
 protected:
  RunPathShrinkTest() {
    fs.AddDirectory("C:\\Program Files\\Tools", "C:\\PROGRA~1\\Tools");
    fs.AddDirectory("C:\\Windows", "C:\\Windows");
    fs.AddDirectory("C:\\pf", "C:\\pf");
    fs.AddJunction("C:\\pf", "C:\\Program Files");
    fs.AddDirectory("C:\\p2", "C:\\p2");
    fs.AddJunction("C:\\p2", "C:\\Program Files");
    fs.AddDirectory("C:\\tl", "C:\\tl");
    fs.AddJunction("C:\\tl", "C:\\Program Files\\Tools");
  }

  Outcome Run(const std::vector<std::string>& args) {
    std::ostringstream out;
    return Run(args, out);
  }
  Outcome Run(const std::vector<std::string>& args, std::ostream& out) {
    std::vector<const char*> argv;
    argv.reserve(args.size() + 1);
    for (const std::string& arg : args) argv.push_back(arg.c_str());
    argv.push_back(nullptr);
    std::ostringstream err;
    const int status = RunPathShrink(static_cast<int>(args.size()), argv.data(), fs, out, err);
    const auto* written = dynamic_cast<std::ostringstream*>(&out);
    return {status, written != nullptr ? written->str() : "", err.str()};
  }

  FakeFileSystem fs;
};

TEST_F(RunPathShrinkTest, WithoutAListPrintsTheUsageLine) {
  const Outcome outcome = Run({"C:\\bin\\pathshrink.exe"});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.err, "C:\\bin\\pathshrink.exe fullpath [-j junction]+\n");
  EXPECT_EQ(outcome.out, "");
}

TEST_F(RunPathShrinkTest, WithoutEvenAProgramNameUsesAnEmptyOne) {
  const char* argv[] = {nullptr};
  std::ostringstream out;
  std::ostringstream err;
  EXPECT_EQ(RunPathShrink(0, argv, fs, out, err), 1);
  EXPECT_EQ(err.str(), " fullpath [-j junction]+\n");
  EXPECT_EQ(out.str(), "");
}

TEST_F(RunPathShrinkTest, ListOnlyResolvesAndReports) {
  const std::string list = "C:\\Program Files\\Tools;C:\\Program Files\\Tools;C:\\Missing";
  const Outcome outcome = Run({"pathshrink", list});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.out, "C:\\PROGRA~1\\Tools\n");
  EXPECT_EQ(outcome.err,
            "[invalid entry 'C:\\Missing']\n" + ExpectedReport(list, "C:\\PROGRA~1\\Tools"));
}

TEST_F(RunPathShrinkTest, AListThatCannotBeWrittenIsAFailure) {
  std::ostream broken(nullptr);  // every write fails, as on a full disk
  const Outcome outcome = Run({"pathshrink", "C:\\Windows"}, broken);
  EXPECT_EQ(outcome.status, 2);
  EXPECT_EQ(outcome.err,
            ExpectedReport("C:\\Windows", "C:\\Windows") + "[can't write standard output]\n");
}

TEST_F(RunPathShrinkTest, OptionsInPlaceOfAList) {
  const struct {
    const char* option;
    const char* start;
  } cases[] = {
      {"--help", "usage: pathshrink fullpath [-j junction]+\n"},
      {"-h", "usage: pathshrink fullpath [-j junction]+\n"},
      {"/?", "usage: pathshrink fullpath [-j junction]+\n"},
      {"--version", "pathshrink " PATHSHRINK_VERSION "\n"},
  };
  for (const auto& c : cases) {
    const Outcome outcome = Run({"pathshrink", c.option});
    EXPECT_EQ(outcome.status, 0) << c.option;
    EXPECT_EQ(outcome.out.substr(0, std::string(c.start).size()), c.start) << c.option;
    EXPECT_EQ(outcome.err, "") << c.option;
  }
  // An option that wants a list does not take the usage line's place.
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"pathshrink", "--suggest"}, {"pathshrink", "--suggest", "--junctions-in", "C:\\"}}) {
    const Outcome outcome = Run(args);
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err, "pathshrink fullpath [-j junction]+\n");
  }
}

TEST_F(RunPathShrinkTest, AnEmptyListIsOneEmptyEntry) {
  const Outcome outcome = Run({"pathshrink", ""});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.out, "\n");
  EXPECT_EQ(outcome.err, "[invalid entry '']\nOriginal path [0]:\n\n\nNew path [0]:\n");
}

TEST_F(RunPathShrinkTest, ArgumentWalk) {
  const std::string list = "C:\\Program Files\\Tools\\";
  const struct {
    const char* name;
    std::vector<std::string> flags;
    int status;
    std::string out;
    std::string complaints;  // before the report, when there is one
  } cases[] = {
      {"the flag alone is never looked at", {"-j"}, 0, "C:\\PROGRA~1\\Tools\n", ""},
      {"an unpaired last argument is ignored", {"-j", "C:\\pf", "-x"}, 0, "C:\\pf\\Tools\n", ""},
      {"flags are case-sensitive", {"-J", "C:\\pf"}, 1, "", "Unknown flag [-J]\n"},
      {"complaints before an unknown flag stay",
       {"-j", "C:\\Nope", "--", "C:\\pf"},
       1,
       "",
       "[can't process junction 'C:\\Nope']\nUnknown flag [--]\n"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"pathshrink", list};
    args.insert(args.end(), c.flags.begin(), c.flags.end());
    const Outcome outcome = Run(args);
    EXPECT_EQ(outcome.status, c.status) << c.name;
    EXPECT_EQ(outcome.out, c.out) << c.name;
    const std::string report =
        c.status == 0 ? ExpectedReport(list, c.out.substr(0, c.out.size() - 1)) : "";
    EXPECT_EQ(outcome.err, c.complaints + report) << c.name;
  }
}

TEST_F(RunPathShrinkTest, LargestSavingsFirstThenCommandLineOrder) {
  const std::string entry = "C:\\Program Files\\Tools\\x";
  fs.AddDirectory(entry, "C:\\PROGRA~1\\Tools\\x");
  const struct {
    std::vector<std::string> junctions;
    const char* out;
  } cases[] = {
      // C:\tl saves 17, C:\pf and C:\p2 save 11 each.
      {{"C:\\pf", "C:\\tl"}, "C:\\tl\\x\n"},
      {{"C:\\tl", "C:\\pf"}, "C:\\tl\\x\n"},
      {{"C:\\pf", "C:\\p2"}, "C:\\pf\\Tools\\x\n"},
      {{"C:\\p2", "C:\\pf"}, "C:\\p2\\Tools\\x\n"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"pathshrink", entry};
    for (const std::string& junction : c.junctions) {
      args.push_back("-j");
      args.push_back(junction);
    }
    EXPECT_EQ(Run(args).out, c.out) << c.junctions[0] << " " << c.junctions[1];
  }
}

TEST_F(RunPathShrinkTest, ErrorOutputIsRegistrationThenEntriesThenReport) {
  const std::string list = "C:\\Missing;C:\\Program Files\\Tools;C:\\Windows";
  const Outcome outcome = Run({"pathshrink", list, "-j", "C:\\Windows", "-j", "C:\\pf"});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.out, "C:\\pf\\Tools;C:\\Windows\n");
  EXPECT_EQ(outcome.err,
            "[can't process junction 'C:\\Windows']\n"
            "[invalid entry 'C:\\Missing']\n" +
                ExpectedReport(list, "C:\\pf\\Tools;C:\\Windows"));
}

TEST_F(RunPathShrinkTest, SuggestsJunctionsForTheLongestSharedDirectories) {
  fs.AddDirectory("C:\\Program Files\\Vendor Name\\App One\\bin",
                  "C:\\PROGRA~1\\VENDOR~1\\APPONE~1\\bin");
  fs.AddDirectory("C:\\Program Files\\Vendor Name\\App Two", "C:\\PROGRA~1\\VENDOR~1\\APPTWO~1");
  fs.AddDirectory("D:\\Build Tools\\Compilers\\bin", "D:\\BUILDT~1\\COMPIL~1\\bin");
  fs.AddDirectory("C:\\Program Files\\Vendor Name\\App Three", "C:\\PROGRA~1\\VENDOR~1\\APPTHR~1");
  fs.AddDirectory("C:\\pf\\Tools", "C:\\pf\\Tools");
  fs.AddDirectory("C:\\a", "C:\\a");  // taken: the first link is C:\b
  const std::string vendor = "C:\\Program Files\\Vendor Name";
  const struct {
    const char* name;
    std::vector<std::string> args;
    const char* script;
    const char* newList;
  } cases[] = {
      {"a shared directory, and one on another drive",
       {vendor + "\\App One\\bin;" + vendor + "\\App Two;D:\\Build Tools\\Compilers\\bin"},
       // "App One" is shorter than its short name, so it is written as given.
       "REM 2 junctions that shorten the list from 86 to 34 characters.\n"
       "REM Make them, then run:\n"
       "REM pathshrink \"%PATH%\" -j C:\\b -j D:\\a\n"
       "mklink /J C:\\b \"C:\\Program Files\\Vendor Name\"\n"
       "mklink /J D:\\a \"D:\\Build Tools\\Compilers\\bin\"\n",
       "C:\\b\\App One\\bin;C:\\b\\App Two;D:\\a"},
      {"entries under a given junction, in a folder of links",
       {"--suggest", "--junctions-in", "C:\\pf",
        "C:\\pf\\Tools;" + vendor + "\\App Two;" + vendor + "\\App One\\bin;" + vendor +
            "\\App Three",
        "-j", "C:\\pf"},
       // It saves more than C:\pf does, so it wins for the entries below it.
       "REM 1 junction that shortens the list from 85 to 64 characters.\n"
       "REM Make it, then run:\n"
       "REM pathshrink \"%PATH%\" -j C:\\pf -j C:\\pf\\a\n"
       "mklink /J C:\\pf\\a \"C:\\Program Files\\Vendor Name\"\n",
       "C:\\pf\\Tools;C:\\pf\\a\\App Two;C:\\pf\\a\\App One\\bin;C:\\pf\\a\\APPTHR~1"},
      {"nothing worth a junction",
       {"C:\\Windows"},
       "REM No junction would shorten this list enough to be worth making (10 characters).\n",
       "C:\\Windows"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"pathshrink"};
    if (c.args[0] != "--suggest") args.push_back("--suggest");
    args.insert(args.end(), c.args.begin(), c.args.end());
    const Outcome outcome = Run(args);
    EXPECT_EQ(outcome.status, 0) << c.name;
    EXPECT_EQ(outcome.out, c.script) << c.name;
    const std::string list = args[args[2] == "--junctions-in" ? 4 : 2];
    EXPECT_EQ(outcome.err, ExpectedReport(list, c.newList)) << c.name;
  }
}

}  // namespace
}  // namespace pathshrink
